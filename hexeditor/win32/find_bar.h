// The hex window's find bar: a strip above the editor with the text to find,
// how to read it (hex bytes with ?? wildcards, or text in GBK, UTF-16LE or
// UTF-8), ASCII case, next and previous, and on a second row the replacement.
// A search runs on a worker thread while the editor is disabled, so the data
// it reads stays unchanged; the bar shows its progress and can stop it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/gdi_object.h"
#include "hexeditor/editor/find_replace.h"

namespace hexwin {

class HexEditorControl;

// Control identifiers inside the bar.
enum FindBarId : int {
  kIdFindText = 201,
  kIdFindKind,
  kIdIgnoreCase,
  kIdFindPrevious,
  kIdFindNext,
  kIdFindStop,
  kIdFindClose,
  kIdFindStatus,
  kIdReplaceText,
  kIdReplaceOne,
  kIdReplaceAll,
};

class FindBar {
 public:
  // Keys the bar's text fields pass on to the window (F3, Ctrl+G, ...);
  // returns true when the window took the key.
  using KeyHandler = std::function<bool(UINT key, bool ctrl, bool shift)>;

  explicit FindBar(HexEditorControl& control);
  ~FindBar();
  FindBar(const FindBar&) = delete;
  FindBar& operator=(const FindBar&) = delete;

  // Creates the hidden bar as a child of `parent`.
  void Create(HWND parent, int id, const KeyHandler& windowKeys);
  HWND Handle() const { return hwnd_; }
  // The bar's height at the window's resolution; 0 while hidden.
  int Height() const;
  bool Visible() const { return visible_; }
  // A search is running.
  bool Busy() const { return running_; }

  // Shows the bar (with its replace row when asked) and selects the find text.
  // `onLayout` is called whenever the bar's height changes.
  void Show(bool withReplace);
  void Hide();
  std::function<void()> onLayout;

  // The commands (also reached through the bar's buttons and keys).
  void FindNext(bool backward);
  void ReplaceOne();
  void ReplaceAll();
  // Stops a running search and waits for its thread.
  void Stop();

  // What the bar shows; for tests.
  void SetFindText(const std::wstring& text, hexed::find::TextKind kind, bool ignoreCase);
  void SetReplaceText(const std::wstring& text);
  std::wstring StatusText() const;

 private:
  enum class Job { kFind, kReplaceAll };

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FieldProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Layout();
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string FieldText(int id) const;
  hexed::find::TextKind Kind() const;
  std::optional<hexed::search::Pattern> PatternOrReport();
  void SetStatus(const std::string& text);
  // Shows `text` in the status line with a beep: the bar's way to refuse.
  void Warn(const std::string& text);
  void ReportPatternError(const hexed::search::PatternError& error);
  void Start(Job job, hexed::search::Pattern pattern, bool backward);
  void Finish();
  // Stops the worker without showing its result (the window is closing).
  void Abandon();
  void SetBusy(bool busy);
  bool OnFieldKey(UINT key);

  HexEditorControl& control_;
  KeyHandler windowKeys_;
  HWND hwnd_ = nullptr;
  bool visible_ = false;
  bool replaceRow_ = false;
  int dpi_ = 96;
  app::GdiObject<HFONT> font_;
  // The bar's controls in the order of the layout table, one per place (null
  // where creation failed).
  std::vector<HWND> placed_;

  // The running search: set up on the window's thread before the worker
  // starts, its result read there only after the worker was joined.
  std::thread worker_;
  bool running_ = false;
  HWND focusBefore_ = nullptr;
  std::atomic<bool> stop_{false};
  Job job_ = Job::kFind;
  bool backward_ = false;
  hexed::search::Pattern pattern_;
  std::vector<std::uint8_t> replacement_;
  hexed::search::FindResult found_;
  hexed::search::FindAllResult all_;
  bool failed_ = false;
};

}  // namespace hexwin
