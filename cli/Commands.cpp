// The command list: names, usage lines, help texts and options.
#include "Cli.h"

namespace fd::cli {

namespace {

QCommandLineOption option(const QString& name, const QString& description,
                          const QString& valueName = QString()) {
    return QCommandLineOption(name, description, valueName);
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {QStringLiteral("sites"),
         QStringLiteral("[--json]"),
         QStringLiteral("List the web sites and their root URLs."),
         QStringLiteral("Lists every web site in the order of the Configuration tab's site box, "
                        "each with its root URLs. Text: one line per root URL, the site's name "
                        "and the URL separated by a tab (a site without a root URL has a line of "
                        "its own)."),
         {jsonOption()},
         sitesCommand},
        {QStringLiteral("pages import"),
         QStringLiteral("FILE --site NAME"),
         QStringLiteral("Replace a site's page list with a page-list file."),
         QStringLiteral(
             "Reads FILE (a .wsr or .txt page list, one page per line) and makes it the site's "
             "page list, as importing it in the window and saving the configuration does: the "
             "list is saved in the program folder under the site's list name and the site "
             "remembers it. "
             "The window shows it the next time the site is chosen."),
         {siteOption()},
         pagesImportCommand},
        {QStringLiteral("pages list"),
         QStringLiteral("--site NAME [--root URL] [--json]"),
         QStringLiteral("List the pages of a site's page list."),
         QStringLiteral("Prints the pages of the site's page list, one full address (root URL and "
                        "page) per line."),
         {siteOption(), rootOption(), jsonOption()},
         pagesListCommand},
        {QStringLiteral("pages discover"),
         QStringLiteral("--site NAME [--root URL] [--crawl] [--page-limit N] [--add] [--dry-run] "
                        "[--json]"),
         QStringLiteral("Find a site's pages from its robots.txt, sitemaps and a crawl."),
         QStringLiteral(
             "Reads the sitemaps the root URL's robots.txt names (or, when it names none, "
             "/sitemap.xml, /sitemap_index.xml and /sitemap.xml.gz): sitemaps, indexes nested "
             "up to three levels, gzip, plain-text sitemaps, RSS and Atom feeds; with --crawl "
             "also follows the links of the root URL and the sitemap pages on the site, under "
             "robots.txt, up to --page-limit pages (10000). The pages under the root URL become "
             "the site's page list, as Replace List in the window's File > Discover Pages from "
             "Site does (with --add the pages the list lacks are added to it, as Add to List "
             "does); the list is saved in the program folder under the site's list name, the "
             "site remembers it, and each page's last-modified time is kept. The counts and any "
             "file that could not be read go to stderr; the saved list's path to stdout, or "
             "with --dry-run (nothing is changed) the addresses found, or with --json the whole "
             "result. A discovery that finds nothing changes nothing (exit code 1); so does "
             "Ctrl+C."),
         {siteOption(), rootOption(),
          option(QStringLiteral("crawl"),
                 QStringLiteral("Also follow links on the site, under robots.txt.")),
          option(QStringLiteral("page-limit"),
                 QStringLiteral("Pages the crawl fetches at most (10000)."), QStringLiteral("N")),
          option(QStringLiteral("add"),
                 QStringLiteral("Add the pages the list lacks instead of replacing it.")),
          option(QStringLiteral("dry-run"),
                 QStringLiteral("Change nothing: print the addresses found.")),
          jsonOption()},
         pagesDiscoverCommand},
        {QStringLiteral("sitemap"),
         QStringLiteral("--site NAME [--root URL] [--html] [--xml [--gzip]] --out DIR"),
         QStringLiteral("Write a site's site map or XML sitemaps."),
         QStringLiteral(
             "Writes the site maps of the site's page list into DIR, built as the Tools menu "
             "builds them: sitemap.htm, the HTML page of links (the default, or --html), and with "
             "--xml the XML sitemaps for search engines, sitemap.xml (sitemap.xml.gz with --gzip) "
             "and, beyond 50,000 pages or 50 MB, numbered files under it as an index. The files "
             "written are printed; what was left out of the XML sitemaps and the robots.txt "
             "line go to stderr. Existing files are replaced whole or not at all."),
         {siteOption(), rootOption(),
          option(QStringLiteral("html"), QStringLiteral("The HTML site map.")),
          option(QStringLiteral("xml"), QStringLiteral("The XML sitemaps.")),
          option(QStringLiteral("gzip"), QStringLiteral("Compress the XML sitemaps (gzip).")),
          option(QStringLiteral("out"), QStringLiteral("The folder to write into (must exist)."),
                 QStringLiteral("DIR"))},
         sitemapCommand},
        {QStringLiteral("submit"),
         QStringLiteral("--site NAME --engine NAME [--root URL] (--page URL | --all)"),
         QStringLiteral("Submit pages to a search engine and record the submissions."),
         QStringLiteral(
             "Submits one page (--page) or every page of the site's page list (--all) to the "
             "engine, as the Page Submission tab does, and records each submission as the window "
             "records it, with the engine's answer. An IndexNow engine is sent through IndexNow "
             "with the root URL's key (--all as Submit All Pages does, in POSTs of up to 10,000 "
             "URLs); any other engine gets its query string, filled with the page and the root "
             "URL's submitter details, as a GET (or a form POST for a \"post\" engine) straight "
             "from here, the page's description and keywords read from the page as the browser "
             "reads them. Fails when the engine could not be reached or refused a page; what was "
             "sent is recorded all the same. Ctrl+C stops after the page under way."),
         {siteOption(), rootOption(),
          option(QStringLiteral("engine"),
                 QStringLiteral("The search engine, by its name in the catalogue."),
                 QStringLiteral("NAME")),
          option(QStringLiteral("page"), QStringLiteral("The page's full address."),
                 QStringLiteral("URL")),
          option(QStringLiteral("all"), QStringLiteral("Every page of the site's page list."))},
         submitCommand},
        {QStringLiteral("audit"),
         QStringLiteral(
             "--site NAME [--root URL] [--follow] [--page-limit N] [--per-host N] "
             "[--delay MS] [--keep-runs N] [--thin-words N] [--large-html-kb KB] [--rendered] "
             "[--out FILE.txt|FILE.xlsx] [--json]"),
         QStringLiteral("Audit a site's pages and list the findings."),
         QStringLiteral(
             "Runs the Tools menu's site audit on the root URL and the pages of the site's page "
             "list: every page fetched under the site's robots.txt and read, the findings drawn "
             "and compared with the previous complete run, and the run stored. The findings "
             "list (page, finding, detail, state, severity) is printed as tab-separated text, or "
             "as JSON "
             "with the pages (each written as it is finished), or written to FILE.txt or "
             "FILE.xlsx by the list export control's writers. Progress goes to stderr when it is a "
             "terminal; Ctrl+C stops the run and "
             "keeps what was finished as a cancelled run (exit code 1)."),
         {siteOption(), rootOption(),
          option(QStringLiteral("follow"),
                 QStringLiteral("Also audit the pages the listed ones link to on the site "
                                "(the root URL's scheme, host and port).")),
          option(QStringLiteral("page-limit"),
                 QStringLiteral("Follow links while the run has fewer pages (10000)."),
                 QStringLiteral("N")),
          option(QStringLiteral("per-host"),
                 QStringLiteral("Requests running at once against the host (1 to 16, 4)."),
                 QStringLiteral("N")),
          option(QStringLiteral("delay"),
                 QStringLiteral("Pause between two requests to the host (0)."),
                 QStringLiteral("MS")),
          option(QStringLiteral("keep-runs"),
                 QStringLiteral("Complete runs of the root URL kept in the database; older "
                                "ones are removed when this run is stored (20; 0 keeps all)."),
                 QStringLiteral("N")),
          option(QStringLiteral("rendered"),
                 QStringLiteral("Also read each HTML page as the browser renders it (by the "
                                "program farrowdale-render, two at a time, 15 s each) and report "
                                "what its scripts set or add.")),
          option(QStringLiteral("thin-words"),
                 QStringLiteral("A page whose body has fewer words is thin content (200)."),
                 QStringLiteral("N")),
          option(QStringLiteral("large-html-kb"),
                 QStringLiteral("An HTML page larger than this is reported (2048)."),
                 QStringLiteral("KB")),
          option(QStringLiteral("out"), QStringLiteral("Write the findings list to this file."),
                 QStringLiteral("FILE")),
          jsonOption()},
         auditCommand},
        {QStringLiteral("publish"),
         QStringLiteral("--site NAME [--root URL] [--sitemaps DIR] [--key-file] [--html-map FILE] "
                        "[--password-file FILE] [--trust-host-key FINGERPRINT]"),
         QStringLiteral("Publish sitemaps, the site map and the key file to the site."),
         QStringLiteral(
             "Uploads files to the root URL's publish address (sftp://, ftps:// or ftp://, set "
             "on the Configuration tab), as Tools > Publish to Site... does: each file under a "
             "temporary name, renamed into place once whole; then each is fetched back from the "
             "site and compared byte for byte, and the site's robots.txt is read for the "
             "sitemap's Sitemap: line (the line to add is printed when it is missing). Without "
             "file options, the XML sitemaps and the HTML site map last written for the root URL "
             "and its IndexNow key file are published. The password comes from the desktop's "
             "keyring, or from --password-file (its first line; \"-\" reads standard input); "
             "SFTP also logs in with the SSH agent and ~/.ssh/id_ed25519, id_ecdsa or id_rsa. "
             "The server's host key must be in ~/.ssh/known_hosts; a key not there yet is "
             "refused with its fingerprint, and trusted when that fingerprint is given with "
             "--trust-host-key. A changed host key is always refused. Fails unless every file "
             "was uploaded and the site serves it as uploaded. Ctrl+C stops the upload."),
         {siteOption(), rootOption(),
          option(QStringLiteral("sitemaps"),
                 QStringLiteral("The XML sitemaps in DIR: sitemap.xml (or sitemap.xml.gz) and "
                                "its numbered files."),
                 QStringLiteral("DIR")),
          option(QStringLiteral("key-file"), QStringLiteral("The root URL's IndexNow key file.")),
          option(QStringLiteral("html-map"), QStringLiteral("The HTML site map FILE."),
                 QStringLiteral("FILE")),
          option(QStringLiteral("password-file"),
                 QStringLiteral("Read the password from FILE instead of the keyring."),
                 QStringLiteral("FILE")),
          option(QStringLiteral("trust-host-key"),
                 QStringLiteral("Trust a host key not yet in known_hosts that has this "
                                "fingerprint (SHA256:...), and add it there."),
                 QStringLiteral("FINGERPRINT"))},
         publishCommand},
        {QStringLiteral("report"),
         QStringLiteral(
             "changes|submissions --from DATE --to DATE [--site NAME] --out FILE.txt|FILE.xlsx"),
         QStringLiteral("Write the change-request or the submission report."),
         QStringLiteral(
             "Writes the report the report dialog writes for the date range (and the site's root "
             "URLs with --site): FILE.txt receives the report file's text, fields separated by "
             "\"|\"; FILE.xlsx a workbook of the preview window's list, written by the list "
             "export control's workbook writer. DATE is 2026-12-07 (from the start, or to the "
             "end, of that day) or 2026-12-07T14:05[:00]."),
         {option(QStringLiteral("from"), QStringLiteral("The first date of the range."),
                 QStringLiteral("DATE")),
          option(QStringLiteral("to"), QStringLiteral("The last date of the range."),
                 QStringLiteral("DATE")),
          siteOption(),
          option(QStringLiteral("out"), QStringLiteral("The file to write."),
                 QStringLiteral("FILE"))},
         reportCommand},
        {QStringLiteral("update-catalogue"),
         QString(),
         QStringLiteral("Bring the search-engine catalogue up to date."),
         QStringLiteral("Asks the update server named in the database for the statements that "
                        "bring the search-engine catalogue up to date and applies them in one "
                        "transaction, as Support > Update Search Engine List does."),
         {},
         updateCatalogueCommand},
    };
    return list;
}

}  // namespace fd::cli
