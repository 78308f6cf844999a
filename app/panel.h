#pragma once

#include <QLabel>

// A panel with a raised one-pixel bevel and its caption centred, clickable
// like a push button.
class TPanel : public QLabel {
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool pressed_ = false;
};
