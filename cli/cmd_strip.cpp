// strip: remove all metadata from a file by re-encoding its upright pixels in place.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/files/ImageMetadataService.h"

#include "core/common/TaviError.h"

namespace {

int runStrip(const QStringList& arguments) {
    CliArguments cli(QStringLiteral("strip FILE"));
    if (const auto exit = cli.parse(arguments, 1)) return *exit;
    const QStringList args = cli.positional();
    const ImageMetadataService service;
    try {
        service.stripMetadataInPlace(args[0]);
    } catch (const TaviError& error) {
        cliErr(QStringLiteral("%1: %2").arg(args[0], error.description()));
        return 1;
    }
    const ExifMetadataReport after = service.inspect(args[0]);
    cliOut(QStringLiteral("%1: metadata removed (%2 sensitive tags remain)")
               .arg(args[0])
               .arg(after.sensitiveTagCount));
    return 0;
}

const CliRegistration strip{{QStringLiteral("strip"), QStringLiteral("strip FILE"),
                             QStringLiteral("Rewrite FILE upright in its own format without any metadata."),
                             runStrip}};
} // namespace
