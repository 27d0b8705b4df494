// kalvory-cli sync and calendars: the document's two-way sync with a CalDAV calendar, and the
// calendars a server offers.
#include <QCoreApplication>
#include <QUrl>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "cli/command.h"
#include "core/model/document_file.h"
#include "core/settings/data_folder.h"
#include "platform/caldav/caldav_sync.h"
#include "platform/caldav/document_sync.h"
#include "platform/ical/ical_document.h"

namespace kalvory::cli {
namespace {

struct ServerOptions {
  QUrl url;
  DavAccount account;
};

// --url, --user and --password-env; the password is read from the environment so that it
// never shows in the list of processes.
ServerOptions takeServerOptions(Arguments& arguments) {
  ServerOptions options;
  std::string url, user, variable;
  if (!arguments.takeOption("--url", url)) throw UsageError{"--url is missing"};
  options.url = QUrl(QString::fromStdString(url), QUrl::StrictMode);
  if (!options.url.isValid() ||
      (options.url.scheme() != QLatin1String("http") && options.url.scheme() != QLatin1String("https")) ||
      options.url.host().isEmpty())
    throw UsageError{"--url wants an http:// or https:// address, not \"" + url + "\""};
  if (arguments.takeOption("--user", user)) options.account.user = QString::fromStdString(user);
  if (arguments.takeOption("--password-env", variable)) {
    const char* password = std::getenv(variable.c_str());
    if (!password) throw UsageError{"the variable " + variable + " named by --password-env is not set"};
    options.account.password = QString::fromUtf8(password);
  }
  return options;
}

// The network runs on an event loop of this process's own; the command waits for it to end.
struct EventLoop {
  int argc = 1;
  char program[12] = "kalvory-cli";
  char* argv[2] = {program, nullptr};
  std::optional<QCoreApplication> application;
  EventLoop() {
    if (!QCoreApplication::instance()) application.emplace(argc, argv);
  }
  void run() { QCoreApplication::exec(); }
  static void quit() { QCoreApplication::exit(0); }
};

int runSync(CommandContext& context) {
  Arguments arguments(context.args);
  const ServerOptions server = takeServerOptions(arguments);
  const std::string file = arguments.positionals(1, 1)[0];

  CAlarmDoc doc;
  if (const auto loaded = loadDocumentFile(doc, file); !loaded.ok()) return context.refuse(loaded.error());
  const std::string dataFolder = dataFolderPath();
  const std::string uidStore = icsUidStoreFile(dataFolder, file);
  std::string problem;
  IcsUids uids = keepIcsUids(doc, uidStore, problem);
  if (!problem.empty()) return context.refuse("the records' UIDs cannot be kept: " + problem);
  const std::string stateFile = syncStateFile(dataFolder, file, server.url.toString(QUrl::FullyEncoded).toStdString());
  SyncState state = readSyncState(stateFile, problem);
  if (!problem.empty()) context.errors.report(problem);

  EventLoop loop;
  SyncOutcome outcome;
  CalDavSync sync(server.url, server.account);
  sync.start(documentSyncItems(doc, uids), std::move(state), [&outcome](SyncOutcome result) {
    outcome = std::move(result);
    EventLoop::quit();
  });
  loop.run();
  if (!outcome.ok) return context.refuse(server.url.toString().toStdString() + ": " + outcome.failure);

  for (const std::string& note : outcome.notes) context.errors.report(note);
  // The document is written only when something came in, the way every save writes it; the
  // state follows, so that a document that could not be written is synced again next time.
  if (applySyncOutcome(outcome, doc, uids)) {
    if (const auto saved = saveDocumentFile(doc, file); !saved.ok()) return context.refuse(saved.error());
    if (!rememberIcsUids(doc, uids, uidStore, problem))
      return context.refuse("the records' UIDs cannot be kept: " + problem);
  }
  if (!writeSyncState(stateFile, outcome.state, problem)) return context.refuse(problem);
  context.out << "sent " << outcome.sent << ", received " << outcome.received << ", deleted " << outcome.deleted
              << ", conflicts " << outcome.conflicts << "\n";
  return kExitOk;
}

int runCalendars(CommandContext& context) {
  Arguments arguments(context.args);
  const ServerOptions server = takeServerOptions(arguments);
  arguments.positionals(0, 0);
  EventLoop loop;
  DavClient client(server.account);
  std::vector<CalendarInfo> calendars;
  QString failure;
  discoverCalendars(client, server.url, [&](std::vector<CalendarInfo> found, QString why) {
    calendars = std::move(found);
    failure = why;
    EventLoop::quit();
  });
  loop.run();
  if (!failure.isEmpty()) return context.refuse(server.url.toString().toStdString() + ": " + failure.toStdString());
  for (const CalendarInfo& calendar : calendars)
    context.out << calendar.url.toString(QUrl::FullyEncoded).toStdString() << '\t' << calendar.name.toStdString()
                << '\n';
  return kExitOk;
}

const Registration syncRegistration{
    {"sync", "sync FILE.alr --url COLLECTION_URL [--user NAME] [--password-env VARIABLE]",
     "One two-way sync of the document with a CalDAV calendar collection: each reminder and day note is one event "
     "with its own UID; creations, changes and deletions go both ways; a record changed on both sides is kept twice, "
     "the other side's version as a copy marked \"\xE2\x87\x84\"; events the document cannot hold are left alone on "
     "the server. The document is written only when something came in; what was synced is kept in the data folder's "
     "caldav-sync. Prints \"sent S, received R, deleted D, conflicts C\"; exit 2 when the server or the document "
     "cannot be used, with the document unchanged. The password is read from the environment variable VARIABLE.",
     runSync}};

const Registration calendarsRegistration{
    {"calendars", "calendars --url SERVER_URL [--user NAME] [--password-env VARIABLE]",
     "Lists the calendars of the user on a CalDAV server (found through current-user-principal and "
     "calendar-home-set), one \"URL<TAB>name\" a line, to choose the COLLECTION_URL of sync.",
     runCalendars}};

}  // namespace
}  // namespace kalvory::cli
