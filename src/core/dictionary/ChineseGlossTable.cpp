#include "dictionary/ChineseGlossTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

const QString kFileName = QStringLiteral("rarozezev/english-chinese-glosses.txt");

} // namespace

ChineseGlossTable::ChineseGlossTable(QString path) : m_path(std::move(path)) {}

ChineseGlossTable::~ChineseGlossTable() = default;

QString ChineseGlossTable::defaultPath()
{
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation, kFileName);
    if (!installed.isEmpty())
        return installed;
    // The build copies the table to <build>/share, beside the program and one level above
    // the test and benchmark programs; an install outside the XDG data dirs keeps it in
    // <prefix>/share.
    if (QCoreApplication::instance()) {
        const QDir programDirectory(QCoreApplication::applicationDirPath());
        for (const QString &candidate : {programDirectory.filePath(QStringLiteral("share/") + kFileName),
                                         programDirectory.filePath(QStringLiteral("../share/") + kFileName)}) {
            if (QFile::exists(candidate))
                return QDir::cleanPath(candidate);
        }
    }
    return {};
}

QString ChineseGlossTable::attribution()
{
    return QStringLiteral("离线词典的英汉释义表源自 CC-CEDICT，以 CC BY-SA 4.0 许可发布。");
}

bool ChineseGlossTable::isAvailable() const
{
    std::call_once(m_openOnce, [this] { open(); });
    return !m_table.bytes.empty();
}

void ChineseGlossTable::open() const
{
    if (m_path.isEmpty())
        m_path = defaultPath();
    if (m_path.isEmpty())
        return;
    m_table = mapLineFile(m_path, "#");
}

QStringList ChineseGlossTable::glosses(const QString &text, int limit) const
{
    const QByteArray key = text.simplified().toLower().toUtf8();
    if (key.isEmpty() || limit <= 0 || !isAvailable())
        return {};
    const std::string_view wanted(key.constData(), static_cast<std::size_t>(key.size()));
    const auto line = findSortedLine(m_table.bytes, m_table.bodyStart, wanted, '\t');
    const std::size_t tab = line ? line->find('\t') : std::string_view::npos;
    if (tab == std::string_view::npos)
        return {};
    const QString list = QString::fromUtf8(line->data() + tab + 1, static_cast<qsizetype>(line->size() - tab - 1));
    return list.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(0, limit);
}
