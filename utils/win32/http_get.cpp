#include "utils/win32/http_get.h"

#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "utils/update/url_parts.h"

namespace utils {

// Copies of the properties, the stop request and the results of one run.
struct HttpGetRun {
  std::string acceptTypes, agent, url, fileName, userName, password, postQuery, referer;
  bool binaryData = false, useCache = false, toFile = true, hasProgress = false;
  std::uint32_t timeout = 0;

  std::atomic<bool> terminated{false};
  std::atomic<bool> success{false};
  std::uint32_t totalSize = 0;
  std::uint32_t readed = 0;
  std::uint32_t lastBlock = 0;
  std::string result;  // a download into a text

  // The component's window while it listens; cleared when it is destroyed.
  std::mutex mutex;
  HWND notify = nullptr;

  bool Stopped() const { return terminated; }
};

namespace {

constexpr wchar_t kNotifyClass[] = L"THTTPGetNotify";
constexpr UINT kMsgProgress = WM_APP + 1;  // lParam: HttpGetRun*, sent (the worker waits)
constexpr UINT kMsgDone = WM_APP + 2;      // lParam: HttpGetRun*, posted; wParam unused
constexpr DWORD kBlock = 1025;
constexpr DWORD kLengthBuffer = 1024;
constexpr char kFormHeader[] = "Content-Type: application/x-www-form-urlencoded";

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// Closes the handles it holds, in reverse order of opening.
struct InternetHandles {
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  ~InternetHandles() {
    for (HINTERNET h : {request, connection, session})
      if (h != nullptr) InternetCloseHandle(h);
  }
};

void SetTimeouts(HINTERNET handle, DWORD milliseconds) {
  if (milliseconds == 0) return;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
}

bool Send(HttpGetRun& run, InternetHandles& h) {
  const UrlParts parts = SplitUrl(run.url);
  if (run.Stopped() || parts.host.empty()) return false;
  h.session = InternetOpenA(OrNull(run.agent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (h.session == nullptr) return false;
  SetTimeouts(h.session, run.timeout);
  h.connection = InternetConnectA(h.session, parts.host.c_str(), parts.port, OrNull(run.userName),
                                  OrNull(run.password), INTERNET_SERVICE_HTTP, 0, 0);
  if (h.connection == nullptr) return false;
  SetTimeouts(h.connection, run.timeout);
  const std::string accept = "Accept: " + run.acceptTypes;
  const char* acceptTypes[] = {accept.c_str(), nullptr};
  DWORD flags = run.useCache ? 0 : INTERNET_FLAG_RELOAD;
  if (parts.secure) flags |= INTERNET_FLAG_SECURE;
  h.request = HttpOpenRequestA(h.connection, run.postQuery.empty() ? "GET" : "POST", parts.object.c_str(),
                               "HTTP/1.0", OrNull(run.referer), acceptTypes, flags, 0);
  if (h.request == nullptr) return false;
  SetTimeouts(h.request, run.timeout);
  if (run.postQuery.empty()) return HttpSendRequestA(h.request, nullptr, 0, nullptr, 0) != FALSE;
  return HttpSendRequestA(h.request, kFormHeader, sizeof kFormHeader - 1, run.postQuery.data(),
                          static_cast<DWORD>(run.postQuery.size())) != FALSE;
}

// Steps 8 to 11: the announced length, then the body in blocks.
void Receive(HttpGetRun& run, HINTERNET request) {
  std::vector<char> length(kLengthBuffer, '\0');
  DWORD size = kLengthBuffer - 1;
  const bool announced = HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, length.data(), &size, nullptr) != FALSE;
  run.success = announced;
  if (run.Stopped() || (!announced && run.binaryData)) {
    run.success = false;
    return;
  }
  run.totalSize = announced ? static_cast<std::uint32_t>(std::strtoul(length.data(), nullptr, 10)) : 0;
  run.readed = 0;
  HANDLE file = CreateFileW(platform::Utf8ToPath(run.fileName).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    run.success = false;
    return;
  }
  char block[kBlock];
  for (;;) {
    if (run.Stopped()) {
      CloseHandle(file);
      run.success = false;
      return;
    }
    DWORD got = 0;
    if (!InternetReadFile(request, block, kBlock, &got) || got == 0) break;
    DWORD written = 0;
    if (!WriteFile(file, block, got, &written, nullptr) || written != got) {
      run.terminated = true;  // counts as a failure below
      break;
    }
    run.lastBlock = got;
    run.readed += got;
    if (run.hasProgress) {
      // Not sent under the lock: the window thread may be waiting for it.
      HWND notify = nullptr;
      {
        std::lock_guard lock(run.mutex);
        notify = run.notify;
      }
      if (notify != nullptr) SendMessageW(notify, kMsgProgress, 0, reinterpret_cast<LPARAM>(&run));
    }
  }
  run.success = !run.Stopped() && run.readed == run.totalSize;
  CloseHandle(file);
}

void Execute(const std::shared_ptr<HttpGetRun>& run) {
  try {
    InternetHandles handles;
    if (Send(*run, handles) && !run->Stopped())
      Receive(*run, handles.request);
    else
      run->success = false;
  } catch (...) {
    run->success = false;
  }
  std::lock_guard lock(run->mutex);
  // The component is gone (destroyed mid-download): nobody reads the file.
  if (run->notify == nullptr && run->toFile) DeleteFileW(platform::Utf8ToPath(run->fileName).c_str());
  if (run->notify != nullptr) {
    // The component releases its hold on the run with this message.
    auto* hold = new std::shared_ptr<HttpGetRun>(run);
    if (!PostMessageW(run->notify, kMsgDone, 0, reinterpret_cast<LPARAM>(hold))) delete hold;
  }
}

void RegisterNotifyClass() {
  static const bool registered = [] {
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kNotifyClass;
    RegisterClassW(&cls);
    return true;
  }();
  (void)registered;
}

}  // namespace

THTTPGet::THTTPGet() {
  RegisterNotifyClass();
  notify_ = CreateWindowExW(0, kNotifyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (notify_ != nullptr) {
    SetWindowLongPtrW(notify_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(notify_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&THTTPGet::NotifyProcedure));
  }
}

THTTPGet::~THTTPGet() {
  if (run_) {
    run_->success = false;
    run_->terminated = true;
    std::lock_guard lock(run_->mutex);
    run_->notify = nullptr;
  }
  if (notify_ != nullptr) {
    // From here on the window only answers; a progress message sent
    // meanwhile reaches no handler.
    SetWindowLongPtrW(notify_, GWLP_USERDATA, 0);
    // A completion already posted still owns its hold on the run.
    MSG message;
    while (PeekMessageW(&message, notify_, kMsgDone, kMsgDone, PM_REMOVE))
      delete reinterpret_cast<std::shared_ptr<HttpGetRun>*>(message.lParam);
    DestroyWindow(notify_);
  }
}

void THTTPGet::DownloadToFile() {
  if (run_ || notify_ == nullptr) return;
  auto run = std::make_shared<HttpGetRun>();
  run->acceptTypes = AcceptTypes;
  run->agent = Agent;
  run->url = URL;
  run->fileName = FileName;
  run->userName = UserName;
  run->password = Password;
  run->postQuery = PostQuery;
  run->referer = Referer;
  run->binaryData = BinaryData;
  run->useCache = UseCache;
  run->hasProgress = static_cast<bool>(OnProgress);
  run->timeout = Timeout;
  run->notify = notify_;
  // The thread releases itself when it ends (nothing joins it); a thread
  // that cannot be created leaves the component idle.
  std::thread([run] { Execute(run); }).detach();
  run_ = run;
  if (WaitThread) {
    MSG message;
    while (run_ == run) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        // The end of the program belongs to the outer message loop.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (got < 0) break;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

void THTTPGet::CancelDownload() {
  if (!run_) return;
  run_->success = false;
  run_->terminated = true;
}

LRESULT CALLBACK THTTPGet::NotifyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<THTTPGet*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == kMsgProgress) {
    auto* run = reinterpret_cast<HttpGetRun*>(lParam);
    try {
      if (self->OnProgress && self->run_.get() == run) self->OnProgress(run->totalSize, run->readed);
    } catch (...) {
    }
    return 0;
  }
  if (self != nullptr && message == kMsgDone) {
    std::unique_ptr<std::shared_ptr<HttpGetRun>> hold(reinterpret_cast<std::shared_ptr<HttpGetRun>*>(lParam));
    if (self->run_ == *hold) self->Completion(**hold);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void THTTPGet::Completion(HttpGetRun& run) {
  success_ = run.success;
  // The thread is forgotten before the handlers run, so a handler may start
  // the next download.
  const auto keep = std::move(run_);
  try {
    if (success_ && run.toFile && OnDoneFile)
      OnDoneFile(run.fileName, run.totalSize);
    else if (success_ && !run.toFile && OnDoneString)
      OnDoneString(run.result);
    else if (!success_ && OnError)
      OnError();
  } catch (...) {
  }
}

}  // namespace utils
