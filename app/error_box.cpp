#include "app/error_box.h"

#include <QCoreApplication>
#include <QFileInfo>

QString applicationTitle(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    return name.left(1) + name.mid(1).toLower();
}

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void showEscapedError(MessageBoxes &boxes, const char *message)
{
    boxes.showError(applicationTitle(QCoreApplication::applicationFilePath()),
                    errorBoxText(QString::fromUtf8(message)));
}
