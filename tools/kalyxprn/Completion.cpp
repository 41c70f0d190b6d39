#include "Completion.h"

#include <QRegularExpression>

namespace cli {

namespace {

CommandDescription* current = nullptr;

// Value names that stand for a file to read or write.
bool namesFile(const QString& valueName) {
    static const QRegularExpression file(QStringLiteral("^(PATH|FILE|OUT|PICTURE|DIR)(\\..*)?$"));
    return file.match(valueName).hasMatch();
}

QString joined(const QStringList& list) {
    return list.join(QLatin1Char(' '));
}

// One `case` branch of the script: the options, what their values are, and the arguments.
QString branch(const QString& key, const CommandDescription& d) {
    QString text =
        QStringLiteral("        \"%1\")\n            options=\"%2\"\n").arg(key, joined(d.options));
    QString values;
    for (const auto& [option, words] : d.optionWords)
        values +=
            QStringLiteral("                %1) COMPREPLY=($(compgen -W \"%2\" -- \"$cur\")); "
                           "return ;;\n")
                .arg(option, joined(words));
    if (!d.fileOptions.isEmpty())
        values += QStringLiteral("                %1) _kalyxprn_files; return ;;\n")
                      .arg(d.fileOptions.join(QLatin1Char('|')));
    if (!d.deviceOptions.isEmpty())
        // The device path may be left out: the printer's commands are offered beside it.
        values += QStringLiteral("                %1) _kalyxprn_devices \"%2\";%3 return ;;\n")
                      .arg(d.deviceOptions.join(QLatin1Char('|')), joined(d.words),
                           d.fileArguments ? QStringLiteral(" _kalyxprn_files;") : QString());
    QStringList others;
    for (const QString& o : d.valueOptions)
        if (!d.fileOptions.contains(o) && !d.deviceOptions.contains(o) &&
            std::none_of(d.optionWords.begin(), d.optionWords.end(),
                         [&o](const auto& w) { return w.first == o; }))
            others << o;
    if (!others.isEmpty())
        values += QStringLiteral("                %1) COMPREPLY=(); return ;;\n")
                      .arg(others.join(QLatin1Char('|')));
    if (!values.isEmpty())
        text += QStringLiteral("            case $prev in\n") + values +
                QStringLiteral("            esac\n");
    text += QStringLiteral("            words=\"%1\"; fileargs=%2 ;;\n")
                .arg(joined(d.words))
                .arg(d.fileArguments ? 1 : 0);
    return text;
}

} // namespace

CommandDescription* describing() {
    return current;
}

CommandDescription describe(const QString& name, const std::function<int()>& runHelp) {
    CommandDescription d;
    d.name = name;
    current = &d;
    runHelp();
    current = nullptr;
    return d;
}

void recordParser(const QString& usage, const QString& helpText) {
    if (!current)
        return;
    current->usage = usage;
    // Qt lists each option as "  -o, --output <OUT>  description".
    static const QRegularExpression line(
        QStringLiteral("^\\s+(-[\\w-]+(?:, -{1,2}[\\w-]+)*)(?: <([^>]+)>)?(?:\\s|$)"));
    const QString options = helpText.mid(helpText.indexOf(QStringLiteral("Options:")));
    for (const QString& text : options.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch())
            continue;
        QStringList names = m.captured(1).split(QStringLiteral(", "));
        // Long options are written with one dash or two; completion offers two.
        for (QString& n : names)
            if (n.size() > 2 && !n.startsWith(QLatin1String("--")))
                n.prepend(QLatin1Char('-'));
        current->options << names;
        const QString value = m.captured(2);
        if (value.isEmpty())
            continue;
        current->valueOptions << names;
        if (names.contains(QStringLiteral("--usb")))
            current->deviceOptions << names;
        else if (namesFile(value))
            current->fileOptions << names;
        else if (value.contains(QLatin1Char('|')))
            for (const QString& n : names)
                current->optionWords.emplace_back(n, value.split(QLatin1Char('|')));
    }
    static const QRegularExpression fileArgument(QStringLiteral("(^|[ \\[])(FILE|OUT|PICTURE)"));
    current->fileArguments = fileArgument.match(usage).hasMatch();
    static const QRegularExpression wordsArgument(QStringLiteral("^([a-z-]+\\|)+[a-z-]+$"));
    if (wordsArgument.match(usage).hasMatch())
        current->words = usage.split(QLatin1Char('|'));
}

void describeWords(const QStringList& words) {
    if (current)
        current->words = words;
}

QString bashCompletion(const std::vector<Command>& commands) {
    QStringList names;
    QString branches;
    for (const Command& c : commands) {
        const QString name = QString::fromLatin1(c.name);
        names << name;
        CommandDescription d = describe(name, [&c] { return c.run({QStringLiteral("--help")}); });
        if (c.subcommands) {
            const std::vector<CommandDescription> subs = c.subcommands();
            d.words.clear();
            for (const CommandDescription& s : subs) {
                d.words << s.name;
                branches += branch(name + QLatin1Char(' ') + s.name, s);
            }
        }
        branches += branch(name, d);
    }
    return QStringLiteral(
               "# bash completion for kalyxprn, made by 'kalyxprn --completion bash' from its "
               "command table.\n"
               "_kalyxprn_files() {\n"
               "    local IFS=$'\\n'\n"
               "    COMPREPLY+=($(compgen -f -- \"$cur\"))\n"
               "    compopt -o filenames 2>/dev/null\n"
               "}\n"
               "_kalyxprn_devices() {\n"
               "    COMPREPLY=($(compgen -W \"$1 $(echo /dev/usb/lp*)\" -- \"$cur\"))\n"
               "}\n"
               "_kalyxprn() {\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
               "    COMPREPLY=()\n"
               "    if ((COMP_CWORD == 1)); then\n"
               "        COMPREPLY=($(compgen -W \"%1 --help --version\" -- \"$cur\"))\n"
               "        return\n"
               "    fi\n"
               "    local key=${COMP_WORDS[1]} i options words fileargs\n"
               "    # A command of its own (printer's): the first word after the options.\n"
               "    for ((i = 2; i < COMP_CWORD; i++)); do\n"
               "        case ${COMP_WORDS[i]} in\n"
               "            --tcp|--timeout) ((i++)) ;;\n"
               "            --usb) [[ ${COMP_WORDS[i+1]} == /* ]] && ((i++)) ;;\n"
               "            -*) ;;\n"
               "            *) [[ $key == printer ]] && key=\"printer ${COMP_WORDS[i]}\"; break "
               ";;\n"
               "        esac\n"
               "    done\n"
               "    case $key in\n"
               "%2"
               "        *) return ;;\n"
               "    esac\n"
               "    if [[ $cur == -* ]]; then\n"
               "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
               "        return\n"
               "    fi\n"
               "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
               "    ((fileargs)) && _kalyxprn_files\n"
               "}\n"
               "complete -F _kalyxprn kalyxprn")
        .arg(joined(names), branches);
}

} // namespace cli
