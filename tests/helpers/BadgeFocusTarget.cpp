// A window holding the keyboard focus, the application the badge must not take it from.
// Prints its X window id once it has the focus, then runs until closed or killed.

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLineEdit edit;
    edit.setWindowTitle(QStringLiteral("badge focus target"));
    edit.setText(QStringLiteral("select some English text here"));
    edit.setGeometry(100, 100, 400, 40);
    edit.show();
    edit.activateWindow();

    QTimer focusWatch;
    QObject::connect(&focusWatch, &QTimer::timeout, [&] {
        if (edit.isActiveWindow() && edit.hasFocus()) {
            focusWatch.stop();
            std::printf("%llu\n", static_cast<unsigned long long>(edit.winId()));
            std::fflush(stdout);
        }
    });
    focusWatch.start(10);
    return app.exec();
}
