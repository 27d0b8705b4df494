// kalvory-cli sync: two documents in two homes against one Radicale server, and servers that
// misbehave.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli_runner.h"
#include "support/missing_tool.h"
#include "support/radicale_server.h"

namespace kalvory::cli_test {
namespace {

using test::Radicale;

using Json = nlohmann::ordered_json;
const char* const kSyncLineZero = "sent 0, received 0, deleted 0, conflicts 0\n";

// One computer: a data folder of its own and a document in it.
struct Home {
  std::filesystem::path folder;
  std::filesystem::path document() const { return folder / "reminders.alr"; }
  CliResult run(std::vector<std::string> args) const { return runCli(args, {{"KALVORY_HOME", folder.string()}}); }
  CliResult sync(const std::string& url) const {
    return run({"sync", document().string(), "--url", url, "--user", "alice"});
  }
  Json records() const { return Json::parse(runCli({"info", document().string()}).out); }
  void write(const Json& records, const TemporaryFolder& scratch) const {
    std::filesystem::create_directories(folder);
    writeFile(scratch / "records.json", records.dump());
    const CliResult built = runCli({"build", (scratch / "records.json").string(), document().string()});
    ASSERT_EQ(built.exitCode, 0) << built.err;
  }
};

// The records of both lists, in any order: received records are appended where they arrive.
std::vector<std::string> sortedRecords(const Json& doc) {
  std::vector<std::string> out;
  for (const char* list : {"reminders", "day_notes"})
    if (doc.contains(list))
      for (const auto& record : doc[list]) out.push_back(std::string(list) + record.dump());
  std::sort(out.begin(), out.end());
  return out;
}

Json reminder(const std::string& text, double days) {
  return Json{{"time", {{"status", 0}, {"days", days}}}, {"text", text}, {"show_seconds", 60}};
}

Json note(const std::string& text, double days) {
  return Json{{"date", {{"status", 0}, {"days", days}}}, {"text", text}};
}

std::string lastLine(const std::string& out) {
  const std::size_t end = out.find_last_not_of('\n');
  if (end == std::string::npos) return out;
  const std::size_t start = out.rfind('\n', end);
  return out.substr(start == std::string::npos ? 0 : start + 1,
                    end - (start == std::string::npos ? 0 : start + 1) + 1) +
         "\n";
}

TEST(CliSync, TwoHomesAddEditDeleteConflictOfflineAndRecover) {
  if (!Radicale::installed()) KALVORY_SKIP_WITHOUT_TOOL("Radicale (Debian's radicale) is not installed");
  TemporaryFolder folder("kalvory-sync");
  Radicale server(folder / "server");
  ASSERT_TRUE(server.start());
  const std::string url = server.calendar();
  const Home a{folder / "a"}, b{folder / "b"};
  const auto expectEqual = [&](const char* step) {
    EXPECT_EQ(sortedRecords(a.records()), sortedRecords(b.records())) << step;
  };
  const auto expectQuiet = [&](const Home& home, const char* step) {
    const CliResult again = home.sync(url);
    EXPECT_EQ(again.exitCode, 0) << step << again.err;
    EXPECT_EQ(again.out, kSyncLineZero) << step;
  };

  // Add: a reminder and a note made on one computer reach the other.
  a.write(Json{{"reminders", {reminder("Dentist", 46392.4)}}, {"day_notes", {note("Birthday", 46400.0)}}}, folder);
  b.write(Json{{"reminders", Json::array()}}, folder);
  CliResult sent = a.sync(url);
  ASSERT_EQ(sent.exitCode, 0) << sent.err;
  EXPECT_EQ(sent.out, "sent 2, received 0, deleted 0, conflicts 0\n");
  expectQuiet(a, "add, again");
  CliResult received = b.sync(url);
  ASSERT_EQ(received.exitCode, 0) << received.err;
  EXPECT_EQ(received.out, "sent 0, received 2, deleted 0, conflicts 0\n");
  expectEqual("add");
  expectQuiet(b, "add, again on b");
  expectQuiet(a, "add, again on a");

  // The calendar is found from the server's root through the user's principal and home.
  const std::string root = url.substr(0, url.find("/alice/cal/") + 1);
  CliResult calendars = a.run({"calendars", "--url", root, "--user", "alice"});
  EXPECT_EQ(calendars.exitCode, 0) << calendars.err;
  EXPECT_EQ(calendars.out.rfind(url + "\t", 0), 0u) << calendars.out;
  EXPECT_EQ(std::count(calendars.out.begin(), calendars.out.end(), '\n'), 1) << calendars.out;

  // Edit on the second computer; the first takes it.
  Json records = b.records();
  for (auto& line : records["reminders"])
    if (line["text"] == "Dentist") line["text"] = "Dentist, room 4";
  b.write(records, folder);
  EXPECT_EQ(b.sync(url).out, "sent 1, received 0, deleted 0, conflicts 0\n");
  EXPECT_EQ(a.sync(url).out, "sent 0, received 1, deleted 0, conflicts 0\n");
  expectEqual("edit");

  // Delete on the first; the second loses it too.
  records = a.records();
  records["day_notes"] = Json::array();
  a.write(records, folder);
  EXPECT_EQ(a.sync(url).out, "sent 0, received 0, deleted 1, conflicts 0\n");
  EXPECT_EQ(b.sync(url).out, "sent 0, received 0, deleted 1, conflicts 0\n");
  expectEqual("delete");
  EXPECT_FALSE(b.records().contains("day_notes") && !b.records()["day_notes"].empty());

  // Conflict: both change the same reminder; both versions stay, the other one marked.
  Json onA = a.records(), onB = b.records();
  onA["reminders"][0]["text"] = "Dentist at 10";
  onB["reminders"][0]["text"] = "Dentist at 11";
  a.write(onA, folder);
  b.write(onB, folder);
  EXPECT_EQ(a.sync(url).out, "sent 1, received 0, deleted 0, conflicts 0\n");
  CliResult conflict = b.sync(url);
  EXPECT_EQ(conflict.exitCode, 0) << conflict.err;
  EXPECT_EQ(conflict.out, "sent 2, received 0, deleted 0, conflicts 1\n");
  EXPECT_EQ(conflict.err,
            "kalvory-cli sync: \"Dentist at 11\" was changed here and on the server; both are kept, the "
            "server's as a copy marked \"\xE2\x87\x84 \"\n");
  EXPECT_EQ(a.sync(url).out, "sent 0, received 2, deleted 0, conflicts 0\n");
  expectEqual("conflict");
  std::vector<std::string> texts;
  const Json merged = a.records();
  for (const auto& line : merged["reminders"]) texts.push_back(line["text"]);
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"Dentist at 11", "\xE2\x87\x84 Dentist at 10"}));
  expectQuiet(a, "conflict, again on a");
  expectQuiet(b, "conflict, again on b");

  // Deleted on one side, edited on the other: the edit is never lost, whichever syncs first.
  Json withNote = a.records();
  withNote["day_notes"] = Json::array({note("Anniversary", 46410.0)});
  a.write(withNote, folder);
  EXPECT_EQ(a.sync(url).out, "sent 1, received 0, deleted 0, conflicts 0\n");
  EXPECT_EQ(b.sync(url).out, "sent 0, received 1, deleted 0, conflicts 0\n");
  Json edited = a.records();
  edited["day_notes"][0]["text"] = "Anniversary, book a table";
  a.write(edited, folder);
  Json without = b.records();
  without["day_notes"] = Json::array();
  b.write(without, folder);
  EXPECT_EQ(b.sync(url).out, "sent 0, received 0, deleted 1, conflicts 0\n");
  EXPECT_EQ(a.sync(url).out, "sent 1, received 0, deleted 0, conflicts 0\n");
  EXPECT_EQ(b.sync(url).out, "sent 0, received 1, deleted 0, conflicts 0\n");
  expectEqual("deleted there, edited here");
  edited = b.records();
  edited["day_notes"][0]["text"] = "Anniversary, table for two";
  b.write(edited, folder);
  EXPECT_EQ(b.sync(url).out, "sent 1, received 0, deleted 0, conflicts 0\n");
  without = a.records();
  without["day_notes"] = Json::array();
  a.write(without, folder);
  EXPECT_EQ(a.sync(url).out, "sent 0, received 1, deleted 0, conflicts 0\n");
  expectEqual("deleted here, edited there");
  EXPECT_EQ(a.records()["day_notes"][0]["text"], "Anniversary, table for two");

  // Offline: the server is gone; the change waits, the document stays as it was.
  server.stop();
  records = a.records();
  records["reminders"].push_back(reminder("Call the plumber", 46393.5));
  a.write(records, folder);
  const std::string before = readFile(a.document());
  CliResult offline = a.sync(url);
  EXPECT_EQ(offline.exitCode, 2);
  EXPECT_EQ(offline.out, "");
  EXPECT_EQ(std::count(offline.err.begin(), offline.err.end(), '\n'), 1) << offline.err;
  EXPECT_EQ(offline.err.rfind("kalvory-cli sync: " + url + ": ", 0), 0u) << offline.err;
  EXPECT_EQ(readFile(a.document()), before);

  // Recovery: the pending change goes out once the server answers again.
  ASSERT_TRUE(server.start());
  EXPECT_EQ(a.sync(url).out, "sent 1, received 0, deleted 0, conflicts 0\n");
  EXPECT_EQ(b.sync(url).out, "sent 0, received 1, deleted 0, conflicts 0\n");
  expectEqual("recovery");
  EXPECT_EQ(readFile(a.document()), before);

  // A damaged record of the last sync costs one comparison by content, and nothing else.
  for (const auto& entry : std::filesystem::directory_iterator(a.folder / "caldav-sync"))
    writeFile(entry.path(), "kalvory caldav sync 1\nitem X\n");
  CliResult damaged = a.sync(url);
  EXPECT_EQ(damaged.exitCode, 0) << damaged.err;
  EXPECT_EQ(damaged.out, kSyncLineZero);
  EXPECT_NE(damaged.err.find("damaged; every event is compared by its content once"), std::string::npos) << damaged.err;
  expectQuiet(a, "after the damaged state");
  EXPECT_EQ(readFile(a.document()), before);
}

// Another program's event that the document cannot hold is never rewritten or deleted, even
// when every record of the document is deleted.
TEST(CliSync, AnotherProgramsEventIsLeftAlone) {
  if (!Radicale::installed()) KALVORY_SKIP_WITHOUT_TOOL("Radicale (Debian's radicale) is not installed");
  TemporaryFolder folder("kalvory-sync");
  Radicale server(folder / "server");
  ASSERT_TRUE(server.start());
  const std::string url = server.calendar();
  const std::string event =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\nUID:other-1\r\n"
      "DTSTAMP:20260501T000000Z\r\nSUMMARY:Gym\r\nDTSTART:20260601T090000\r\nRRULE:FREQ=DAILY\r\n"
      "EXDATE:20260602T090000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  // Radicale keeps each event in a file named after its resource.
  writeFile(folder / "server/storage/collection-root/alice/cal/other-1.ics", event);
  const Home a{folder / "a"};
  a.write(Json{{"reminders", {reminder("Dentist", 46392.4)}}}, folder);
  CliResult first = a.sync(url);
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(lastLine(first.out), "sent 1, received 0, deleted 0, conflicts 0\n");
  EXPECT_NE(first.err.find("left alone on the server: /alice/cal/other-1.ics: "), std::string::npos) << first.err;
  EXPECT_EQ(sortedRecords(a.records()).size(), 1u);

  // Our own event, changed by that program into a form the document cannot hold, is let go:
  // the record stays here as it was and the event there as the other program left it.
  std::filesystem::path ours;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "server/storage/collection-root/alice/cal"))
    if (entry.path().extension() == ".ics" && entry.path().filename() != "other-1.ics") ours = entry.path();
  ASSERT_FALSE(ours.empty());
  std::string changed = readFile(ours);
  const std::size_t end = changed.find("END:VEVENT");
  ASSERT_NE(end, std::string::npos);
  changed.insert(end, "EXDATE:20270105T094800\r\n");
  writeFile(ours, changed);
  const std::string before = readFile(a.document());
  CliResult letGo = a.sync(url);
  EXPECT_EQ(letGo.exitCode, 0) << letGo.err;
  EXPECT_EQ(lastLine(letGo.out), std::string(kSyncLineZero));
  EXPECT_NE(letGo.err.find("was changed by another program into a form the document cannot hold"), std::string::npos)
      << letGo.err;
  EXPECT_EQ(readFile(a.document()), before);

  a.write(Json{{"reminders", Json::array()}}, folder);
  CliResult emptied = a.sync(url);
  EXPECT_EQ(emptied.out, kSyncLineZero);
  EXPECT_EQ(emptied.err, "");
  EXPECT_EQ(readFile(folder / "server/storage/collection-root/alice/cal/other-1.ics"), event);
  EXPECT_EQ(readFile(ours), changed);
}

// --- servers that misbehave: a tiny stand-in that answers every request the same way

class StandInServer {
 public:
  // `answer` is written after each request's headers and body; `flood` then keeps writing
  // until the client hangs up.
  StandInServer(std::string answer, bool flood = false)
      : StandInServer([answer](const std::string&) { return answer; }, flood) {}
  // `answer` makes the answer from the whole request.
  explicit StandInServer(std::function<std::string(const std::string&)> answer, bool flood = false)
      : answer_(std::move(answer)), flood_(flood) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 16);
    thread_ = std::thread([this] { serve(); });
  }
  ~StandInServer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  std::string url(const std::string& path = "/cal/") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int requests() const { return requests_; }

 private:
  void serve() {
    for (;;) {
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      std::string request;
      char buffer[4096];
      // The headers, then as much body as Content-Length says.
      std::size_t wanted = std::string::npos;
      while (request.size() < wanted) {
        const ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
        const std::size_t end = request.find("\r\n\r\n");
        if (end == std::string::npos) continue;
        const std::size_t length = request.find("Content-Length: ");
        wanted = end + 4 + (length < end ? std::stoul(request.substr(length + 16)) : 0);
      }
      ++requests_;
      std::string answer = answer_(request);
      for (std::size_t at; (at = answer.find("PORT")) != std::string::npos;)
        answer.replace(at, 4, std::to_string(port_));
      send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
      if (flood_) {
        const std::string block(1 << 20, 'x');
        while (send(client, block.data(), block.size(), MSG_NOSIGNAL) > 0) {
        }
      }
      close(client);
    }
  }

  std::function<std::string(const std::string&)> answer_;
  bool flood_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::thread thread_;
};

TEST(CliSync, AServerThatCannotBeUsedGetsOneLineAndChangesNothing) {
  struct Case {
    const char* name;
    std::string answer;
    bool flood;
    std::string message;
  };
  const std::vector<Case> cases{
      {"wrong password",
       "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 0\r\n\r\n", false,
       "the server refused the user name or password (401)"},
      {"redirect loop", "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:PORT/cal/\r\nContent-Length: 0\r\n\r\n",
       false, "the server sends the request from one address to another without end"},
      // The password is never sent on to another server.
      {"redirect elsewhere",
       "HTTP/1.1 307 Temporary Redirect\r\nLocation: http://localhost:PORT/cal/\r\n"
       "Content-Length: 0\r\n\r\n",
       false, "the server sends the request to another server (http://localhost:"},
      {"huge answer", "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n\r\n<?xml version=\"1.0\"?>", true,
       "the server's answer is larger than 32 MB"},
      {"garbage",
       "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 27\r\n\r\n<d:multistatus "
       "xmlns:d=\"DA",
       false, "the server's answer is not XML: "},
      {"server error", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n", false,
       "the server failed (500)"},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder("kalvory-sync");
    const Home a{folder / "a"};
    a.write(Json{{"reminders", {reminder("Dentist", 46392.4)}}}, folder);
    const std::string before = readFile(a.document());
    StandInServer server(c.answer, c.flood);
    CliResult result = runCli({"sync", a.document().string(), "--url", server.url(), "--user", "alice",
                               "--password-env", "KALVORY_TEST_PASSWORD"},
                              {{"KALVORY_HOME", a.folder.string()}, {"KALVORY_TEST_PASSWORD", "secret"}});
    EXPECT_EQ(result.exitCode, 2) << c.name << result.err;
    EXPECT_EQ(result.out, "") << c.name;
    EXPECT_EQ(result.err.rfind("kalvory-cli sync: " + server.url() + ": " + c.message, 0), 0u)
        << c.name << ": " << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << c.name << result.err;
    EXPECT_EQ(readFile(a.document()), before) << c.name;
    EXPECT_FALSE(std::filesystem::exists(folder / "a/caldav-sync")) << c.name;
  }
}

std::string multistatus(const std::string& responses) {
  const std::string body =
      "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
      "xmlns:cs=\"http://calendarserver.org/ns/\">" +
      responses + "</d:multistatus>";
  return "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A server without sync tokens: the collection's ctag tells whether anything changed, and the
// members' ETags what.
TEST(CliSync, AServerWithoutSyncTokensIsReadByCtagAndEtags) {
  const std::string event =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\nUID:walk-1\r\n"
      "DTSTAMP:20260501T000000Z\r\nSUMMARY:Walk\r\nDTSTART:20270601T090000\r\n"
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Walk\r\nTRIGGER:PT0S\r\nEND:VALARM\r\n"
      "END:VEVENT\r\nEND:VCALENDAR\r\n";
  std::atomic<int> listings{0}, puts{0};
  StandInServer server([&](const std::string& request) -> std::string {
    if (request.rfind("REPORT ", 0) == 0) return "HTTP/1.1 501 Not Implemented\r\nContent-Length: 0\r\n\r\n";
    if (request.rfind("PROPFIND ", 0) == 0 && request.find("Depth: 0") != std::string::npos)
      return multistatus(
          "<d:response><d:href>/cal/</d:href><d:propstat><d:prop><cs:getctag>7</cs:getctag></d:prop>"
          "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>");
    if (request.rfind("PROPFIND ", 0) == 0) {
      ++listings;
      return multistatus(
          "<d:response><d:href>/cal/</d:href><d:propstat><d:prop><d:resourcetype><d:collection/></d:resourcetype>"
          "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
          "<d:response><d:href>/cal/walk.ics</d:href><d:propstat><d:prop><d:getetag>\"w1\"</d:getetag>"
          "<d:resourcetype/></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>");
    }
    if (request.rfind("GET /cal/walk.ics ", 0) == 0)
      return "HTTP/1.1 200 OK\r\nETag: \"w1\"\r\nContent-Type: text/calendar\r\nContent-Length: " +
             std::to_string(event.size()) + "\r\n\r\n" + event;
    if (request.rfind("PUT ", 0) == 0) {
      ++puts;
      return "HTTP/1.1 201 Created\r\nETag: \"p1\"\r\nContent-Length: 0\r\n\r\n";
    }
    return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
  });
  TemporaryFolder folder("kalvory-sync");
  const Home a{folder / "a"};
  a.write(Json{{"reminders", Json::array()}}, folder);
  CliResult first = a.sync(server.url());
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, "sent 0, received 1, deleted 0, conflicts 0\n");
  const Json records = a.records();
  ASSERT_EQ(records["reminders"].size(), 1u);
  EXPECT_EQ(records["reminders"][0]["text"], "Walk");
  EXPECT_EQ(listings, 1);
  // The same ctag: the members are not even listed.
  EXPECT_EQ(a.sync(server.url()).out, kSyncLineZero);
  EXPECT_EQ(listings, 1);
  EXPECT_EQ(puts, 0);
}

TEST(CliSync, BadCommandLinesAndDocuments) {
  TemporaryFolder folder("kalvory-sync");
  const Home a{folder / "a"};
  a.write(Json{{"reminders", {reminder("Dentist", 46392.4)}}}, folder);
  EXPECT_EQ(a.run({"sync", a.document().string()}).exitCode, 1);
  EXPECT_EQ(a.run({"sync", a.document().string(), "--url", "ftp://example.org/cal/"}).exitCode, 1);
  EXPECT_EQ(a.run({"sync", a.document().string(), "--url", "http://127.0.0.1:9/", "--password-env",
                   "KALVORY_NO_SUCH_VARIABLE_SET"})
                .exitCode,
            1);
  writeFile(folder / "broken.alr", "not a document");
  CliResult broken = a.run({"sync", (folder / "broken.alr").string(), "--url", "http://127.0.0.1:9/cal/"});
  EXPECT_EQ(broken.exitCode, 2);
  EXPECT_EQ(readFile(folder / "broken.alr"), "not a document");
}

}  // namespace
}  // namespace kalvory::cli_test
