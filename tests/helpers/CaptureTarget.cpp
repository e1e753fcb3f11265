// A window holding selected text, the application that receives the copy keystroke in the
// selection tests. Commands on standard input, one per line:
//   select <base64 text>   replace the text and select all of it; answers "ok"
//   quit
// Options: --no-copy ignores the copy keystroke. Qt's own -name option sets the instance part
// of WM_CLASS, which lets the window pass for a terminal emulator.
// Prints "ready" once its line edit has the keyboard focus.

#include "LineChannel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

class TargetLineEdit : public QLineEdit {
public:
    bool copies = true;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!copies && event->matches(QKeySequence::Copy)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TargetLineEdit edit;
    edit.copies = !QApplication::arguments().contains(QStringLiteral("--no-copy"));
    edit.setWindowTitle(QStringLiteral("capture target"));
    edit.resize(400, 40);
    edit.setText(QStringLiteral("target text"));
    edit.selectAll();
    edit.show();
    edit.raise();
    edit.activateWindow();

    LineChannel channel([&](const QByteArray &line) {
        if (line.startsWith("select ")) {
            edit.setText(QString::fromUtf8(QByteArray::fromBase64(line.mid(7))));
            edit.selectAll();
            edit.activateWindow();
            LineChannel::reply("ok");
        } else if (line == "quit") {
            QCoreApplication::quit();
        }
    });

    QTimer focusWatch;
    QObject::connect(&focusWatch, &QTimer::timeout, [&] {
        if (edit.isActiveWindow() && edit.hasFocus()) {
            focusWatch.stop();
            LineChannel::reply("ready");
        }
    });
    focusWatch.start(10);
    return app.exec();
}
