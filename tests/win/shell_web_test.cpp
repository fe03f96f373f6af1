// Shell integration in the real registry of the test's Wine prefix, and the
// update check and web links against a small HTTP server on 127.0.0.1.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <shellapi.h>

#include <map>
#include <mutex>
#include <thread>

#include "app/win32/shell_registry.h"
#include "engine/jobs/job_files.h"
#include "platform/text.h"
#include "utils/win32/http_get.h"
#include "window_fixture.h"

namespace wintest {
namespace {

std::wstring DefaultValue(HKEY root, const wchar_t* key) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(root, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"<absent>";
  return value;
}

bool KeyExists(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring SelfPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

class ShellTest : public WindowTest {};

TEST_F(ShellTest, AssociationMenuEntryAndRemovalInTheRegistry) {
  StartPrimary();
  RegSetKeyValueW(HKEY_CLASSES_ROOT, L"xcwjjm\\shell\\edit", nullptr, REG_SZ, L"x", 4);
  Command(Primary(), app::kIdN6);
  Command(Primary(), app::kIdN6);
  const std::wstring command = L"\"" + SelfPath() + L"\" \"%1\"";
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L".jmz"), L"xcwjjm");
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"xcwjjm\\shell\\open\\command"), command);
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"xcwjjm\\DefaultIcon"), SelfPath() + L",0");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"xcwjjm\\shell\\edit"));
  EXPECT_EQ(shell_.associationsChanged, 2);

  Command(Primary(), app::kIdN7);
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"*\\shell\\星尘 文件加密"), L"星尘 文件加密(&H)");
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"*\\shell\\星尘 文件加密\\command"), command);
  EXPECT_EQ(shell_.associationsChanged, 2);

  CreateSettingsKey();
  Command(Primary(), app::kIdN9);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".jmz"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"xcwjjm"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"*\\shell\\星尘 文件加密"));
  EXPECT_FALSE(SettingsKeyExists());
  Command(Primary(), app::kIdN9);  // nothing left: silent
  EXPECT_EQ(boxes_.beeps, 0);
  EXPECT_EQ(shell_.associationsChanged, 4);
}

TEST_F(ShellTest, AfterRemovalTheNextStartHasTheDesignSettings) {
  StartPrimary();
  Click(Primary(), app::kIdRgysl1);
  Click(Primary(), app::kIdPbmy);
  Click(Primary(), app::kIdCheckBox2);
  ASSERT_TRUE(SettingsKeyExists());
  Command(Primary(), app::kIdN9);
  EXPECT_FALSE(SettingsKeyExists());
  CloseEverything();  // closing stores nothing of its own
  EXPECT_FALSE(SettingsKeyExists());

  StartPrimary();
  EXPECT_TRUE(Checked(Primary(), app::kIdRgysl2));
  EXPECT_FALSE(Checked(Primary(), app::kIdPbmy));
  EXPECT_TRUE(Checked(Primary(), app::kIdCheckBox2));
  EXPECT_FALSE(SettingsKeyExists());
}

// The registered command line, for a program and a file whose paths hold
// blanks and Chinese, splits into exactly those two arguments.
TEST_F(ShellTest, TheRegisteredCommandKeepsPathsWithBlanksWhole) {
  const std::wstring program = L"C:\\Program Files\\星尘 文件加密\\xcjm.exe";
  app::WindowsShellRegistry registry;
  ASSERT_TRUE(app::RegisterAssociation(registry, platform::PathToUtf8(program)));
  std::wstring command = DefaultValue(HKEY_CLASSES_ROOT, L"xcwjjm\\shell\\open\\command");
  const std::wstring file = (folder_ / L"带 空格 的 文件.jmz").wstring();
  const std::size_t mark = command.find(L"%1");
  ASSERT_NE(mark, std::wstring::npos) << command;
  command.replace(mark, 2, file);
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(command.c_str(), &count);
  ASSERT_NE(arguments, nullptr);
  EXPECT_EQ(count, 2);
  if (count == 2) {
    EXPECT_EQ(std::wstring(arguments[0]), program);
    EXPECT_EQ(std::wstring(arguments[1]), file);
  }
  LocalFree(arguments);
  EXPECT_TRUE(app::RemoveRegistration(registry));
}

// The real registry, with the classes root refusing every write (no
// administrator rights).
class RefusingRegistry final : public app::ShellRegistry {
 public:
  bool KeyExists(app::RegistryRoot root, std::string_view path) override { return real.KeyExists(root, path); }
  void DeleteTree(app::RegistryRoot root, std::string_view path) override {
    Refuse(root);
    real.DeleteTree(root, path);
  }
  void CreateKey(app::RegistryRoot root, std::string_view path) override {
    Refuse(root);
    real.CreateKey(root, path);
  }
  void WriteDefault(app::RegistryRoot root, std::string_view path, std::string_view value) override {
    Refuse(root);
    real.WriteDefault(root, path, value);
  }

 private:
  static void Refuse(app::RegistryRoot root) {
    if (root == app::RegistryRoot::kClassesRoot) throw app::RegistryError("refused", true);
  }
  app::WindowsShellRegistry real;
};

TEST_F(ShellTest, WithoutRightsTheKeysGoToThePerUserClasses) {
  RefusingRegistry registry;
  sites_.registry = &registry;
  StartPrimary();
  Command(Primary(), app::kIdN9);
  Command(Primary(), app::kIdN6);
  Command(Primary(), app::kIdN7);
  EXPECT_EQ(boxes_.beeps, 0);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"xcwjjm"));
  EXPECT_EQ(DefaultValue(HKEY_CURRENT_USER, L"Software\\Classes\\.jmz"), L"xcwjjm");
  EXPECT_EQ(DefaultValue(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\星尘 文件加密"), L"星尘 文件加密(&H)");
  Command(Primary(), app::kIdN9);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\.jmz"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\星尘 文件加密"));
}

// One canned answer per path.
struct Answer {
  std::string body;
  bool contentLength = true;
  bool silent = false;  // accepts and never answers
};

class LocalServer {
 public:
  explicit LocalServer(std::map<std::string, Answer> answers) : answers_(std::move(answers)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LocalServer() {
    closesocket(listener_);
    thread_.join();
    for (SOCKET s : held_) closesocket(s);
    WSACleanup();
  }
  std::wstring Host() const { return L"127.0.0.1:" + std::to_wstring(port_); }
  std::vector<std::string> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
        if (request[0] == '\x16') break;  // a TLS handshake: refused below
      }
      ReadBody(client, request);
      const std::size_t start = request.find(' ') + 1;
      const std::string path = request.substr(start, request.find(' ', start) - start);
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      const auto it = answers_.find(path);
      if (it != answers_.end() && it->second.silent) {
        held_.push_back(client);
        continue;
      }
      std::string response;
      if (it == answers_.end()) {
        response = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
      } else {
        response = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n";
        if (it->second.contentLength) response += "Content-Length: " + std::to_string(it->second.body.size()) + "\r\n";
        response += "\r\n" + it->second.body;
      }
      send(client, response.data(), static_cast<int>(response.size()), 0);
      shutdown(client, SD_SEND);
      closesocket(client);
    }
  }

  // A posted form follows the headers, as long as they announce.
  static void ReadBody(SOCKET client, std::string& request) {
    const std::size_t end = request.find("\r\n\r\n");
    const std::size_t field = request.find("Content-Length: ");
    if (end == std::string::npos || field == std::string::npos || field > end) return;
    const std::size_t length = std::stoul(request.substr(field + 16));
    char buffer[4096];
    while (request.size() < end + 4 + length) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      request.append(buffer, static_cast<std::size_t>(got));
    }
  }

  std::map<std::string, Answer> answers_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::vector<SOCKET> held_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

int TempSettingsFiles() {
  int n = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(engine::TempDirectory(), ec)) {
    const std::wstring name = entry.path().filename().wstring();
    if (name.starts_with(L"xcjm0") && name.ends_with(L".ini")) ++n;
  }
  return n;
}

class UpdateCheckTest : public WindowTest {
 protected:
  void PointAt(const LocalServer& first, const LocalServer& second, unsigned interval = 12000) {
    sites_.first = first.Host();
    sites_.second = second.Host();
    sites_.connected = [] { return true; };
    sites_.checkMilliseconds = interval;
  }
  bool WaitForChecks(int milliseconds = 20000) {
    return PumpUntil([&] { return !primary_->DownloadsRunning(); }, milliseconds);
  }
};

TEST_F(UpdateCheckTest, BothSitesAnswerNoticesAppearOnceAndLearnedPagesOpen) {
  const std::string gbk1 = *platform::Utf8ToGbk(
      "[xcwjjm]\r\nVersion=42561\r\nxcjmUP=新版本\r\nxcjwy=1\r\nxcjmbzy=127.0.0.1/help\r\n[ORB]\r\nORB3=共同\r\n");
  const std::string gbk2 = *platform::Utf8ToGbk(
      "[xcwjjm]\r\nxcjwy=1\r\nxcjmgxy=file:///C:/windows/notepad.exe\r\n[ORB]\r\nORB3=共同\r\nORB5=第二\r\n");
  LocalServer first({{"/xcwjjm1.htm", {gbk1}}});
  LocalServer second({{"/xcwjjm2.htm", {gbk2}}});
  const int before = TempSettingsFiles();
  PointAt(first, second);
  StartPrimary();
  ASSERT_TRUE(WaitForChecks());
  EXPECT_EQ(boxes_.Count(L"新版本"), 1);
  EXPECT_EQ(boxes_.Count(L"共同"), 1);
  EXPECT_EQ(boxes_.Count(L"第二"), 1);
  EXPECT_TRUE(HasLine(Primary(), L" 新版本"));
  EXPECT_EQ(TempSettingsFiles(), before);
  ASSERT_FALSE(first.Requests().empty());
  EXPECT_NE(first.Requests()[0].find("GET /xcwjjm1.htm HTTP/1.0"), std::string::npos);
  EXPECT_NE(first.Requests()[0].find("User-Agent: Dovetail HTTPGet"), std::string::npos);

  shell_.opened.clear();
  Command(Primary(), app::kIdN11);
  ASSERT_EQ(shell_.opened.size(), 2u);
  EXPECT_EQ(shell_.opened[0].target, L"http://" + first.Host() + L"/jmz/Help.htm");
  EXPECT_EQ(shell_.opened[0].verb, L"open");
  EXPECT_EQ(shell_.opened[1].target, L"http://127.0.0.1/help");
  // The hostile update page learned from the second file is not opened.
  const int beeps = boxes_.beeps;
  Command(Primary(), app::kIdN1);
  ASSERT_EQ(shell_.opened.size(), 3u);
  EXPECT_EQ(shell_.opened[2].target, L"http://" + first.Host() + L"/jmz/Index.htm");
  EXPECT_EQ(boxes_.beeps, beeps + 1);  // "file:" became "http://file:///…", which is no web address
  Command(Primary(), app::kIdN2);
  ASSERT_EQ(shell_.opened.size(), 5u);
  EXPECT_EQ(shell_.opened[3].target, L"http://" + second.Host() + L"/");
  EXPECT_EQ(shell_.opened[3].show, SW_SHOWNORMAL);
  EXPECT_EQ(shell_.opened[4].target, L"http://" + first.Host() + L"/");
  EXPECT_EQ(primary_->HiddenClickCount(), 3);
}

TEST_F(UpdateCheckTest, NoLengthOverCapAndSilentServersEndWithoutLeftovers) {
  LocalServer first({{"/xcwjjm1.htm", {"[ORB]\r\nORB6=ohne\r\n", false}}});
  LocalServer second({{"/xcwjjm2.htm", {"[ORB]\r\nORB5=big\r\n" + std::string(20000, ';') , true}}});
  const int before = TempSettingsFiles();
  PointAt(first, second);
  StartPrimary();
  ASSERT_TRUE(WaitForChecks());
  EXPECT_EQ(boxes_.Count(L"ohne"), 1);  // error path, file still read
  EXPECT_EQ(boxes_.Count(L"big"), 1);   // cut at the cap, then read
  EXPECT_EQ(TempSettingsFiles(), before);
  CloseEverything();

  LocalServer silent({{"/xcwjjm1.htm", {"", true, true}}, {"/xcwjjm2.htm", {"", true, true}}});
  PointAt(silent, silent, 1500);
  StartPrimary();
  ASSERT_TRUE(WaitForChecks(10000)) << "the timer did not end the check";
  EXPECT_EQ(TempSettingsFiles(), before);
}

TEST_F(UpdateCheckTest, NoConnectionChecksNothingAndClosingMidDownloadEndsCleanly) {
  LocalServer silent({{"/xcwjjm1.htm", {"", true, true}}, {"/xcwjjm2.htm", {"", true, true}}});
  PointAt(silent, silent);
  sites_.connected = [] { return false; };
  StartPrimary();
  PumpFor(300);
  EXPECT_TRUE(silent.Requests().empty());
  CloseEverything();

  PointAt(silent, silent, 2000);
  StartPrimary();
  const int before = TempSettingsFiles();
  ASSERT_TRUE(PumpUntil([&] { return silent.Requests().size() == 2; }, 5000));
  CloseEverything();  // must neither hang nor crash
  // The abandoned workers end at their time-out and remove their files.
  EXPECT_TRUE(PumpUntil([&] { return TempSettingsFiles() == before - 2; }, 8000)) << TempSettingsFiles();
}

// The download component on its own, with the settings the window never uses.
class HttpGetTest : public WindowTest {
 protected:
  struct Outcome {
    bool done = false, error = false;
    std::string file;
    std::uint32_t size = 0;
  };
  Outcome Download(utils::THTTPGet& get) {
    Outcome out;
    get.FileName = platform::PathToUtf8(folder_ / L"下载.htm");
    get.Timeout = 3000;
    get.OnDoneFile = [&](const std::string& file, std::uint32_t size) {
      out.done = true;
      out.file = file;
      out.size = size;
    };
    get.OnError = [&] { out.error = true; };
    get.DownloadToFile();
    EXPECT_TRUE(PumpUntil([&] { return !get.Running(); }, 15000)) << get.URL;
    return out;
  }
};

TEST_F(HttpGetTest, PostedFormBinaryDataAndSecureAddresses) {
  LocalServer server({{"/form", {"<p>ok</p>"}}, {"/bare", {"no length here", false}}});
  const std::string host = platform::PathToUtf8(server.Host());

  utils::THTTPGet post;
  post.URL = "http://" + host + "/form";
  post.PostQuery = "a=1&b=%E4";
  const Outcome posted = Download(post);
  EXPECT_TRUE(posted.done);
  EXPECT_EQ(posted.size, 9u);
  EXPECT_EQ(ReadFileBytes(platform::Utf8ToPath(posted.file)), "<p>ok</p>");
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_TRUE(request.starts_with("POST /form HTTP/1.0\r\n")) << request;
  EXPECT_NE(request.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
  EXPECT_TRUE(request.ends_with("\r\n\r\na=1&b=%E4")) << request;

  // Without an announced length a binary download reads nothing and
  // creates no file; a text download still keeps what it read.
  for (const bool binary : {true, false}) {
    fs::remove(folder_ / L"下载.htm");
    utils::THTTPGet bare;
    bare.URL = "http://" + host + "/bare";
    bare.BinaryData = binary;
    const Outcome outcome = Download(bare);
    EXPECT_TRUE(outcome.error) << binary;
    EXPECT_FALSE(outcome.done) << binary;
    EXPECT_EQ(fs::exists(folder_ / L"下载.htm"), !binary);
  }

  // An https address speaks TLS to the port it names: the plain server
  // sees a handshake record instead of a request, and the download fails.
  fs::remove(folder_ / L"下载.htm");
  utils::THTTPGet secure;
  secure.URL = "https://" + host + "/form";
  const Outcome refused = Download(secure);
  EXPECT_TRUE(refused.error);
  EXPECT_FALSE(fs::exists(folder_ / L"下载.htm"));
  ASSERT_GE(server.Requests().size(), 4u);
  const std::string hello = server.Requests()[3];
  ASSERT_GE(hello.size(), 3u);
  EXPECT_EQ(hello[0], '\x16');  // handshake
  EXPECT_EQ(hello[1], '\x03');  // TLS major version
}

TEST_F(HttpGetTest, WaitingForItsThreadLeavesTheProgramsEndToTheOuterLoop) {
  LocalServer server({{"/slow", {"ok", true, true}}});
  utils::THTTPGet get;
  get.URL = "http://" + platform::PathToUtf8(server.Host()) + "/slow";
  get.FileName = platform::PathToUtf8(folder_ / L"等待.htm");
  get.Timeout = 3000;
  get.WaitThread = true;
  PostQuitMessage(7);
  get.DownloadToFile();
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_TRUE(PumpUntil([&] { return !get.Running(); }, 15000));
}

}  // namespace
}  // namespace wintest
