// A third process for the selection tests: it owns and serves the clipboard, and reads it back
// as any other X11 client would. Commands on standard input, one per line; every command is
// answered with one line:
//   set <type64>:<bytes64> ...   own CLIPBOARD with these formats (base64 names and bytes)   "ok"
//   primary <text64>             own PRIMARY with this text                                   "ok"
//   dump                         "contents <type64>:<bytes64> ..." of CLIPBOARD's real formats
//   quit
// Prints "ready" at start.

#include "LineChannel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

bool isPseudoFormat(const QString &format)
{
    static const QStringList pseudo{QStringLiteral("TARGETS"),      QStringLiteral("MULTIPLE"),
                                    QStringLiteral("TIMESTAMP"),    QStringLiteral("SAVE_TARGETS"),
                                    QStringLiteral("DELETE"),       QStringLiteral("INCR")};
    return pseudo.contains(format) || format.startsWith(QLatin1String("application/x-qt-"));
}

QByteArray dump(QClipboard *clipboard)
{
    QByteArray line = "contents";
    const QMimeData *data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data)
        return line;
    for (const QString &format : data->formats()) {
        if (isPseudoFormat(format))
            continue;
        line += ' ' + format.toUtf8().toBase64() + ':' + data->data(format).toBase64();
    }
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QClipboard *clipboard = QGuiApplication::clipboard();

    LineChannel channel([&](const QByteArray &line) {
        if (line.startsWith("set")) {
            auto *data = new QMimeData;
            for (const QByteArray &pair : line.mid(3).split(' ')) {
                const qsizetype colon = pair.indexOf(':');
                if (colon < 0)
                    continue;
                data->setData(QString::fromUtf8(QByteArray::fromBase64(pair.left(colon))),
                              QByteArray::fromBase64(pair.mid(colon + 1)));
            }
            clipboard->setMimeData(data, QClipboard::Clipboard);
            LineChannel::reply(clipboard->ownsClipboard() ? "ok" : "failed");
        } else if (line.startsWith("primary ")) {
            clipboard->setText(QString::fromUtf8(QByteArray::fromBase64(line.mid(8))), QClipboard::Selection);
            LineChannel::reply(clipboard->ownsSelection() ? "ok" : "failed");
        } else if (line == "dump") {
            LineChannel::reply(dump(clipboard));
        } else if (line == "quit") {
            QCoreApplication::quit();
        }
    });
    LineChannel::reply("ready");
    return app.exec();
}
