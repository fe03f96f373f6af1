// THTTPGet: downloads one resource over HTTP on a worker thread
// (THTTPGetThread) into a file. The events run on the thread that created
// the component (it must run a message loop): OnProgress while the worker
// waits for it, then OnDoneFile or OnError once the worker has ended and
// closed the file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace utils {

struct HttpGetRun;  // the state one worker shares with its component

class THTTPGet {
 public:
  using TOnProgressEvent = std::function<void(std::uint32_t totalSize, std::uint32_t readed)>;
  using TOnDoneFileEvent = std::function<void(const std::string& fileName, std::uint32_t fileSize)>;
  using TOnDoneStringEvent = std::function<void(const std::string& result)>;
  using TNotifyEvent = std::function<void()>;

  // Published properties (texts are 8-bit text as the network sees them;
  // FileName is UTF-8).
  std::string AcceptTypes = "*/*";
  std::string Agent = "Dovetail HTTPGet";
  bool BinaryData = false;
  std::string URL;
  bool UseCache = false;
  std::string FileName;
  std::string UserName;
  std::string Password;
  std::string PostQuery;
  std::string Referer;
  bool WaitThread = false;
  // Connect, send and receive time-out of each network call in
  // milliseconds; 0 keeps the system's. A stop request waits at most this
  // long for a call already waiting on the network.
  std::uint32_t Timeout = 0;

  TOnProgressEvent OnProgress;
  TOnDoneFileEvent OnDoneFile;
  TOnDoneStringEvent OnDoneString;
  TNotifyEvent OnError;

  THTTPGet();
  // Aborts a running download; its events are not raised any more and its
  // file is deleted when the worker ends.
  ~THTTPGet();
  THTTPGet(const THTTPGet&) = delete;
  THTTPGet& operator=(const THTTPGet&) = delete;

  // Starts a download into FileName; nothing while one is running.
  void DownloadToFile();
  // Asks a running download to stop; it then ends through OnError.
  void CancelDownload();
  bool Running() const { return run_ != nullptr; }
  // The success flag of the last download.
  bool Success() const { return success_; }

 private:
  static LRESULT CALLBACK NotifyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Completion(HttpGetRun& run);

  HWND notify_ = nullptr;  // message-only window that carries the events to this thread
  std::shared_ptr<HttpGetRun> run_;
  bool success_ = false;
};

}  // namespace utils
