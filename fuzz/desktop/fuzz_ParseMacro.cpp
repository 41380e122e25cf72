// Open requests come from any program of the user: the request parser must take every byte sequence,
// decoded as the server decodes it, and a line it accepts must say what it parsed.
#include "u_ddemacro.h"

#include <QFile>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QString line = QFile::decodeName(QByteArray(reinterpret_cast<const char *>(Data), qsizetype(Size)));
    QString command;
    QString argument;
    if (!ParseMacro(line, command, argument)) {
        if (!command.isEmpty() || !argument.isEmpty())
            __builtin_trap();
        return 0;
    }
    // An accepted line starts with "[", the command, "(" and, when there is one, the quoted argument.
    if (command.isEmpty() || !line.startsWith(u'[' + command + u'('))
        __builtin_trap();
    if (!argument.isEmpty() && !line.mid(command.size() + 2).startsWith(u'"' + argument + u'"'))
        __builtin_trap();
    // A path written as a request comes back unchanged.
    QString again;
    QString path;
    const QString request = OpenMacroLine(argument);
    if (!request.isEmpty() && (!ParseMacro(request, again, path) || path != argument))
        __builtin_trap();
    return 0;
}
