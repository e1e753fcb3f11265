#pragma once

#include <QString>
#include <QStringList>

#include <variant>

// The arguments of `rarozezev lookup`:
//   [--source ai|dictionary] [--pass full|fast] [--format markdown|json] [--no-cache] [--save]
//   [--selection | [--] [TEXT ...]], or --source dictionary --list-dictionaries
// Options take their value as the next argument or after '='; "--" ends the options.
struct LookupCommandOptions {
    enum class Source { ai, dictionary };
    enum class Pass { full, fast };
    enum class Format { markdown, json };

    Source source = Source::ai;
    Pass pass = Pass::full;
    Format format = Format::markdown;
    bool useCache = true;
    // Add the full AI result to the collection.
    bool save = false;
    // Look up what is selected in the application in front instead of a given text.
    bool selection = false;
    // List the offline dictionaries instead of looking anything up.
    bool listDictionaries = false;
    bool help = false;
    // The text to look up; empty when it comes from standard input or the selection.
    QStringList words;

    bool operator==(const LookupCommandOptions &) const = default;

    // The options, or the message of a usage error.
    static std::variant<LookupCommandOptions, QString> parse(const QStringList &arguments);
};
