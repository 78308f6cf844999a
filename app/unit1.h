#pragma once

#include "app/message_boxes.h"
#include "scan/media_player.h"
#include "scan/scan_display.h"
#include "scan/sleeper.h"
#include "tester/comport.h"
#include "tester/tester_state.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QTimer;
class TPanel;

// What the window is given to work with: the real hardware in the program,
// simulations in the demo and the tests.
struct FormParts {
    std::unique_ptr<TBComPort> comPort;
    std::unique_ptr<TMediaPlayer> mediaPlayer;
    std::unique_ptr<MessageBoxes> messageBoxes;
    std::unique_ptr<Sleeper> sleeper;
    std::function<void()> processMessages; // empty: QApplication::processEvents()
};

// The program's one window. It owns its components, the tester state and the
// hardware it was given, and runs the start-up and the scan in its handlers.
class TForm1 : public QWidget, public ScanDisplay {
    Q_OBJECT
public:
    explicit TForm1(FormParts parts, QWidget *parent = nullptr);
    ~TForm1() override;

    // Runs FormCreate as the window's creation handler: an error that escapes
    // it ends start-up in the error box.
    void create();

    // Handlers.
    void FormCreate();
    void Panel1Click();
    void Panel5Click();
    void Timer1Timer();

    // Finds the tester and counts its conductors; true when found.
    bool comportin1();
    // The scan loop; closes the window when the exit control ends it.
    void poisk();

    bool scanRunning() const { return scanRunning_; }
    MessageBoxes &messageBoxes() { return *messageBoxes_; }

    // ScanDisplay
    void processMessages() override;
    void showConductor(const QString &number) override;
    void hideConductor() override;
    void setStatusText(const QString &text) override;
    void showMissingClip(const QString &message) override;
    void hideMissingClip() override;

    TesterState state;

    // Components, in the order the window creates them.
    QLabel *Label2;
    QComboBox *ComboBox1;
    TPanel *Panel2;
    QLabel *Label1;
    TPanel *Panel5;
    TPanel *Panel1;
    std::unique_ptr<TBComPort> BComPort1;
    std::unique_ptr<TMediaPlayer> MediaPlayer1;
    QTimer *Timer1;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createComponents();
    void fitOuterSizeToDesign();

    std::unique_ptr<MessageBoxes> messageBoxes_;
    std::unique_ptr<Sleeper> sleeper_;
    std::function<void()> pump_;
    bool scanRunning_ = false;
    bool outerSizeFitted_ = false;
};
