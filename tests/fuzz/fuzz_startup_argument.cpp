// The start-up argument comes from another program: whatever it holds, the split must give
// ten identity fields and the connection part exactly as they stand between the separators.

#include "FuzzInput.h"
#include "app/StartupArgument.h"

namespace {

const QString kParts = QStringLiteral("【】");
const QString kFields = QStringLiteral("{}");

void checkSplit(const QString& argument)
{
    const StartupArgument split = splitStartupArgument(argument);

    const int first = argument.indexOf(kParts);
    const QString identityPart = first < 0 ? argument : argument.left(first);
    QString connection;
    if (first >= 0) {
        const int second = argument.indexOf(kParts, first + kParts.size());
        connection = second < 0 ? argument.mid(first + kParts.size())
                                : argument.mid(first + kParts.size(), second - first - kParts.size());
    }
    FUZZ_CHECK(split.connection == connection, fuzz::shown(split.connection) + " vs " + fuzz::shown(connection));

    // The ten fields joined again give the identity part: padded with empty fields when it has
    // fewer, cut before the eleventh when it has more.
    QStringList identity(split.identity.begin(), split.identity.end());
    for (const QString& field : identity)
        FUZZ_CHECK(!field.contains(kFields) && !field.contains(kParts), fuzz::shown(field));
    const QString joined = identity.join(kFields);
    const int separators = identityPart.count(kFields);
    if (separators <= 9)
        FUZZ_CHECK(joined == identityPart + kFields.repeated(9 - separators),
                   fuzz::shown(joined) + " from " + fuzz::shown(identityPart));
    else
        FUZZ_CHECK(identityPart.startsWith(joined + kFields),
                   fuzz::shown(joined) + " from " + fuzz::shown(identityPart));
}

void checkJoin(const QString& argument)
{
    // The process gets the launcher's text split at blanks; joining gives it back.
    QStringList arguments = argument.split(u' ');
    arguments.prepend(QStringLiteral("chengling-wuye"));
    FUZZ_CHECK(joinProgramArguments(arguments) == argument, fuzz::shown(joinProgramArguments(arguments)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString argument = fuzz::text(data, size);
    checkSplit(argument);
    checkJoin(argument);
    return 0;
}
