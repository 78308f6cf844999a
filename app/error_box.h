#pragma once

#include "app/message_boxes.h"

#include <QString>

#include <exception>

// The title of the program's boxes and taskbar entry: the executable's file
// name cut before its first full stop, all but the first character in lower
// case (CABLE.EXE gives Cable).
QString applicationTitle(const QString &executablePath);

// An error message as the error box shows it: a full stop is added when the
// last character's code is above that of "." (after letters and digits, not
// after "!", ")" or a space).
QString errorBoxText(const QString &message);

// Shows an error that escaped a window handler in the error box.
void showEscapedError(MessageBoxes &boxes, const char *message);

// Runs a window handler. An error that escapes it is shown in the error box
// and goes no further, so the event loop carries on.
template <typename Handler>
void runHandler(MessageBoxes &boxes, Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        showEscapedError(boxes, error.what());
    } catch (...) {
        showEscapedError(boxes, "Неизвестная ошибка");
    }
}
