#pragma once

#include "dictionary/SortedLineSearch.h"

#include <QString>
#include <QStringList>

#include <mutex>

// The English→Chinese gloss table: a text file of "english<TAB>中文 中文 …" lines sorted
// by their bytes, the most common translation first on each line, after a header of '#'
// lines. The file is memory-mapped on first use and searched in place; a missing file gives
// an empty table. Once opened the object is immutable and may be shared between threads.
class ChineseGlossTable {
public:
    // An empty path stands for defaultPath(), looked for when the table is first used.
    explicit ChineseGlossTable(QString path = {});
    ~ChineseGlossTable();
    ChineseGlossTable(const ChineseGlossTable &) = delete;
    ChineseGlossTable &operator=(const ChineseGlossTable &) = delete;

    // The installed table from the XDG data directories, else the copy next to a program
    // run from its build folder; empty when there is none.
    static QString defaultPath();

    // The credit the table's licence asks for, shown with the program's version.
    static QString attribution();

    // The file read; the default one is known once the table has been used.
    const QString &path() const { return m_path; }
    bool isAvailable() const;

    // The glosses of exactly this word or phrase (case and surrounding space ignored), in
    // their order of preference, at most `limit` of them.
    QStringList glosses(const QString &text, int limit) const;

private:
    void open() const;

    mutable QString m_path;
    mutable std::once_flag m_openOnce;
    mutable MappedLineFile m_table;
};
