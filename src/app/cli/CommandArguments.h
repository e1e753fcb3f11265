#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <variant>

// The arguments after a subcommand of `collection` or `review`: words, and options that each
// take one value from a fixed set, as the next argument or after '='. "--" ends the options;
// -h or --help asks for help. A later option of the same name wins.
struct CommandArguments {
    QStringList words;
    // By option name with its dashes ("--format").
    QHash<QString, QString> values;
    bool help = false;

    // "--help", "-h" or "help" in the place of a subcommand.
    static bool isHelpWord(const QString &word);
    // The allowed values of an option that takes any value.
    static const QStringList &anyValue();

    // `options` maps every option accepted to its allowed values: `anyValue()` for a free one
    // (a file name); none for a flag, which takes no value. Returns the arguments or the
    // message of a usage error.
    static std::variant<CommandArguments, QString> parse(const QStringList &arguments,
                                                         const QMap<QString, QStringList> &options);

    QString value(const QString &option, const QString &fallback = {}) const { return values.value(option, fallback); }
    bool has(const QString &option) const { return values.contains(option); }
};
