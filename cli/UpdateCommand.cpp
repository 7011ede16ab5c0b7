// update-catalogue.
#include "Cli.h"
#include "platform/CurlTransfer.h"
#include "update/UpdateClient.h"

#ifndef FARROWDALE_VERSION
#define FARROWDALE_VERSION "0.0.0"
#endif

namespace fd::cli {

int updateCatalogueCommand(Invocation& in) {
    in.positional(0, {});
    Globals& g = in.globals();
    CurlTransfer transfer(&in.errors());
    QString updateUrl;
    bool applied = false;
    UpdateContext context{*g.gDB,       transfer,
                          in.dialogs(), in.errors(),
                          nullptr,      updateVersionText(QStringLiteral(FARROWDALE_VERSION)),
                          &updateUrl,   [&applied] { applied = true; }};
    UpdateSearchEngineData(context, true);
    // The run tells its outcome in the messages the window would show.
    const QStringList& said = in.dialogs().messages();
    if (applied) {
        in.out(said.join(u'\n') + u'\n');
        return kOk;
    }
    for (const QString& line : said) in.note(line);
    for (const QString& line : in.errors().failures()) in.note(line);
    return kFailed;
}

}  // namespace fd::cli
