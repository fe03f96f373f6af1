// The main window `Tysjm`: every window of the program, the primary one and
// those created for further files of a batch, is one of these. It holds the
// key boxes, the job buttons, the compression choice, the progress bar, the
// log list and the status bar, and it runs its jobs on one worker thread.
//
// The class spans several files by concern: main_window.cpp (creation,
// layout, painting, window commands), main_window_startup.cpp (creation
// sequence, settings, command line, closing), main_window_jobs.cpp (batch
// dispatch, job lock, worker), main_window_host.cpp (the jobs' host),
// main_window_keys.cpp (key boxes) and main_window_menu.cpp (menus).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/dpi_scale.h"
#include "app/settings.h"
#include "app/shell_registration.h"
#include "app/win32/gdi_object.h"
#include "app/win32/services.h"
#include "app/win32/web_sites.h"
#include "app/win32/window.h"
#include "app/window_table.h"
#include "engine/jobs/job_host.h"
#include "engine/jobs/job_state.h"
#include "engine/jobs/job_window.h"
#include "engine/compression/zn_zip.h"
#include "sfx/detect.h"
#include "utils/shred_job.h"
#include "utils/update/update_settings.h"
#include "utils/win32/http_get.h"

namespace app {

class MainWindow;
struct JobLockPlan;

// What the windows of one program share: the outside effects, the command
// line, and the table of secondary windows with its counters.
struct WindowGroup {
  WindowGroup(HINSTANCE instance, Services services, std::vector<std::wstring> arguments)
      : instance(instance), services(services), arguments(std::move(arguments)) {}

  HINSTANCE instance;
  Services services;
  // The command line without the program name.
  std::vector<std::wstring> arguments;
  WindowTable<MainWindow> table;
  MainWindow* primary = nullptr;
  // The web sites of the update check and the links.
  WebSites sites;
  // The program file that windows look into for a carried package; empty:
  // the running program's own file.
  std::filesystem::path ownProgram;
};

class MainWindow final : public Window, public engine::JobHost {
 public:
  static constexpr wchar_t kClassName[] = L"Tysjm";
  static constexpr wchar_t kCaption[] = L"星尘 文件加密";
  // Size of the client area at full height.
  static constexpr int kClientWidth = 498;
  static constexpr int kClientHeight = 472;
  // Fixed single border with system menu and minimise box, no resizing; the
  // background is not painted over child controls.
  static constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  static constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  static constexpr COLORREF kDefaultColor = 0xF0CAA6;  // sky blue, 0x00BBGGRR
  static constexpr wchar_t kFontFace[] = L"Microsoft Sans Serif";
  static constexpr int kFontHeight = 16;

  // The primary window (`isPrimary`) is the program's first; the others are
  // created by a batch and owned by the group's table. Nothing is created
  // until Create.
  MainWindow(WindowGroup& group, bool isPrimary);
  // Waits for a running worker, then destroys the window if it still exists.
  ~MainWindow() override;

  // Creates the window hidden, centred on the work area, with all its
  // controls, and runs the creation sequence (settings, command line).
  // Throws std::system_error.
  void Create();
  // Shows the window as ShowWindow's `showCommand` says and paints it.
  void Show(int showCommand);

  // Called once the window has been destroyed (the primary window ends the program).
  void SetDestroyedHandler(std::function<void()> handler) { destroyedHandler_ = std::move(handler); }

  // The background colour as RGB, and the colour as kept (negative for a
  // system colour).
  COLORREF Color() const;
  app::Color StoredColor() const { return color_; }
  // Changes the background colour and repaints.
  void SetColor(app::Color color);
  // The logo's font colour as kept.
  app::Color LogoColor() const { return logoColor_; }

  // The font of the window's controls.
  HFONT Font() const { return fontDefault_.Get(); }
  // The resolution the window is laid out for (96 is the design's).
  int Dpi() const { return dpi_; }

  // State a user sees, for tests and for the other windows.
  HWND Control(int id) const { return GetDlgItem(Handle(), id); }
  // The hint (tooltip text) of a control; kIdPanel1 for the top panel.
  std::wstring Hint(int id) const;
  HMENU PopupMenu1() const { return popupMenu1_; }
  HMENU PopupMenu2() const { return popupMenu2_; }
  HMENU PopupMenu3() const { return popupMenu3_; }
  int FoldState() const { return sfTag_; }
  int ButtonTag(int id) const;
  int Tag() const { return tag_; }
  bool IsPrimary() const { return isPrimary_; }
  bool Closing() const { return closing_; }
  std::uint8_t HiddenClickCount() const { return hiddenClickCount_; }
  int Md5ReadMode() const { return md5ReadMode_; }
  const std::string& OutputFolder() const { return outputFolder_; }
  const engine::JobState& State() const { return state_; }
  // delfl's tag: 1 while a shredding batch has begun overwriting.
  int DelflTag() const { return delflTag_; }
  // True while the window's worker thread runs.
  bool WorkerRunning() const { return workerRunning_; }
  // What the update check has learned, and whether a download still runs.
  const utils::UpdateState& UpdateState() const { return update_; }
  bool DownloadsRunning() const { return httpGet1_.Running() || httpGet2_.Running(); }

  // The job host (main_window_host.cpp). Every call may come from the
  // window's worker; it is carried out on the user-interface thread, which
  // the worker waits for.
  void LogLine(const std::string& text) override;
  void ShowNotice(const std::string& text) override;
  void SetStatusPanel(const std::string& text) override;
  void SetStatusHint(const std::string& text) override;
  void SetProgressHint(const std::string& text) override;
  void SetProgressRange(std::int32_t max) override;
  void SetProgressPosition(std::int32_t position) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  void Beep() override;
  void SetJobControls(engine::JobControl trigger, bool enabled) override;
  void ResetDecryptButtons() override;
  void NoKeyFileStarted(engine::NoKeyMode mode) override;
  void NoKeyMenuRestore(engine::NoKeyMode mode) override;
  void Pause(int milliseconds) override;
  bool NamesResultsAwayFromSource() const override { return true; }

 protected:
  bool OnCreate(const CREATESTRUCTW& create) override;
  bool OnEraseBkgnd(HDC dc) override;
  void OnDestroy() override;
  void OnFinalMessage() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Keeps a window alive while code on the stack uses it: a closing window
  // is destroyed only when nothing holds it and its worker has ended.
  class Hold {
   public:
    explicit Hold(MainWindow& window) : window_(window) { ++window_.holds_; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    ~Hold();

   private:
    MainWindow& window_;
  };

  // Marks a job command as under way from before its first pause to its end:
  // a second click meanwhile (a double click, Enter twice) must not run a
  // nested command whose job the outer one would then stop.
  class CommandInProgress {
   public:
    explicit CommandInProgress(MainWindow& window) : window_(window) { window_.commandInProgress_ = true; }
    CommandInProgress(const CommandInProgress&) = delete;
    CommandInProgress& operator=(const CommandInProgress&) = delete;
    ~CommandInProgress() { window_.commandInProgress_ = false; }

   private:
    MainWindow& window_;
  };

  // main_window.cpp: creation and layout.
  void CreateFonts();
  void CreateControls();
  HWND AddControl(int id, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                  int height, HFONT font, DWORD exStyle = 0);
  void CreateTooltip();
  void SetHint(int id, const std::wstring& text);
  void SetHintUtf8(int id, const std::string& text);
  void LayoutForClientHeight(int height);
  void Subclass(int id);
  static LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
  LRESULT OnControlMessage(HWND control, int id, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnColorMessage(UINT message, HDC dc, HWND control);
  void OnCommand(int id, int code, HWND control);
  bool OnSetCursor(HWND under);

  // main_window_dpi.cpp: the layout at the monitor's resolution.
  int Scale(int designPixels) const { return ScaleForDpi(designPixels, dpi_); }
  RECT ScaledPanel1() const;
  void SetStatusParts();
  void OnDpiChanged(int dpi, const RECT& suggested);
  // Sizes the window for a client area of `width` × `height`, moved to `place` unless null.
  void SetClientSize(int width, int height, const POINT* place);

  // main_window.cpp: window commands.
  void SfClick(bool store);
  void ApplyFoldState();
  void FormDblClick();
  void FormMouseDown();
  void Label3Click();
  void Label3DblClick();
  void Label3MouseMove();
  void SiteLabelClick(int id);
  void SiteLabelDblClick(int id);
  void StatusBar1DblClick();
  void SetLogoColor(app::Color color);
  void SetLogoCaption(const std::wstring& caption);

  // main_window_startup.cpp: creation sequence, settings, command line, closing.
  void FormCreate();
  void ApplyStoredSettings();
  void ApplyCommandLine();
  void StartUpdateCheck();
  void Store(std::string_view name, std::int32_t value);
  void OnClose();
  void BeginClosing();
  void TryFinishClose();
  void FinishClose();

  // main_window_jobs.cpp: job state, dispatch, job lock, worker.
  void ClearJobFlags();
  void ResetJobs();
  bool PrepareOutputFolder(const std::wstring& firstFile);
  void ApplyJobLock(const JobLockPlan& plan);
  void SetButtonCaption(int id, const std::wstring& caption);
  void SetCompressionChoice(int index, bool click);
  void SetCheckBox2(bool ticked);
  void CheckBox2Click();
  void Button1Click();
  void Button2Click();
  // The keys and the format a batch runs with, read once when its command
  // was given (the boxes may change while the dialog is open).
  struct BatchKeys {
    std::wstring encryptText;
    std::wstring decryptText;
    bool aead = false;
  };
  BatchKeys CurrentKeys() const;
  // True, with a beep, while another job command is being prepared,
  // dispatched or run.
  bool RefuseWhileBusy();
  // Runs `command` as the window's one job command, once the worker has
  // ended and with the window held; refused while another command runs.
  void RunJobCommand(const std::function<void()>& command);
  // A batch command from its reset to its dispatch; any failure on the way
  // ends in BatchFailed with the file it was at.
  void RunBatchCommand(int button, const FileDialogRequest& request, const BatchKeys& keys);
  void BatchFailed(int button, const std::string& file);
  void DispatchBatch(int button, std::vector<std::wstring> files, const BatchKeys& keys);
  MainWindow* CreateSecondaryWindow();
  // Moves a batch's further window `index` steps down the cascade from this one.
  void PlaceInCascade(MainWindow& target, int index) const;
  bool StartWorker(std::function<void()> job);
  bool WaitForWorker();
  void OnWorkerEnded();
  void NoKeyEntryClick(engine::NoKeyMode mode);
  std::wstring PreselectedFile() const;
  std::optional<std::string> KeyBytesOrNotice(int box, const char* refusal);

  // main_window_sfx.cpp: self-decrypting packages.
  std::filesystem::path OwnProgram() const;
  void DetectOwnPackage();
  void Button6Click();
  void Button7Click();
  void Button8Click();
  // Whether a click on a carried-package button may go on: while its job runs
  // the click cancels it, and without a carried package it only beeps.
  bool CarriedPackageClickGoesOn(int button, const std::function<void()>& cancel);
  // The output file chosen for the carried package's job, `fileName` beside the
  // program suggested; none when the dialog was cancelled or the window closes.
  std::optional<std::filesystem::path> AskCarriedOutput(const wchar_t* title, const wchar_t* filter,
                                                       const std::string& fileName);
  bool StartSfxCreate(const std::filesystem::path& file, const std::filesystem::path& outputFolder);

  // main_window_host.cpp: the hand-over to the user-interface thread.
  void RunOnUiThread(const std::function<void()>& action);
  void PumpMessages();
  void PumpFor(int milliseconds);
  void AddLogLine(const std::wstring& line);
  void SetStatusPanelText(const std::wstring& text);
  void ShowNoticeText(const std::wstring& text);
  int ShowBox(const std::wstring& text, const std::wstring& caption, UINT flags);

  // main_window_keys.cpp: key boxes.
  LRESULT OnKeyBoxMessage(HWND box, int id, UINT message, WPARAM wParam, LPARAM lParam);
  void KeyBoxTextChanged(int id);
  void PasteIntoKeyBox(HWND box, int id);
  void InsertIntoKeyBox(HWND box, int id, const std::wstring& text);
  void UpdateKeyHint(int id);
  void SetKeyBoxMasked(int id, bool masked);
  void SetKeyText(int id, const std::wstring& text);
  std::wstring KeyText(int id) const;
  void PbmyClick();
  void N18Click();
  void CheckBox1Click();
  void N30Click();
  void N20Click();
  void ShowKeyMenu(int id, POINT screen);
  void N14Click();
  void N16Click();
  void N17Click();
  void N5Click();
  void N12Click();
  void SetPbmy(bool ticked);
  void SetCheckBox1(bool ticked);

  // main_window_menu.cpp: menus and their commands.
  void CreateMenus();
  void ShowMainMenu(POINT screen);
  void ShowLogMenu(POINT screen);
  void HiddenClickStep();
  void InsertHiddenEntries();
  void RemoveHiddenEntries();
  void ApplyNoKeyEntries();
  void N3Click();
  void N31Click();
  void N28Click();
  void SetMd5ReadMode(int mode);
  // The authenticated-encryption item: its check mark, Label2's text and,
  // when `store`, the settings value.
  void SetAead(bool checked, bool store);
  void ShowAeadState();

  // main_window_shell.cpp: shell integration.
  void RunShellCommand(const std::function<bool(ShellRegistry&)>& command, bool notify);
  void N6Click();
  void N7Click();
  void N9Click();

  // main_window_web.cpp: update check and web links.
  void SetUpDownloads();
  void StopUpdateCheck();
  void HTTPGetProgress(utils::THTTPGet& get, std::uint32_t readed);
  void Timer1Timer();
  void ProcessUpdate(const std::string& file);
  void OpenLearnedAddress(const std::string& address, int showCommand);
  void N11Click();
  void N1Click();
  void N2Click();

  // main_window_md5.cpp: MD5 verification and the log list's commands.
  bool CheckBox2Ticked() const;
  void WMDropFiles(HDROP drop);
  void VerifyFileMD5(const std::wstring& file);
  void MD5Progress(std::uint64_t total, std::uint64_t done, bool& cancel);
  void MD51Click();
  void MD52Click();
  void MD53Click();
  std::vector<std::wstring> LogItems() const;
  void N19Click();
  void N21Click();
  void PopupMenu3Popup();
  void ComboBox1Select();
  void ComboBox1Change();

  // main_window_shred.cpp: shredding.
  void delflClick();
  void SetDelflRunning(bool running);

  WindowGroup& group_;
  const bool isPrimary_;
  DWORD uiThread_ = 0;

  // Window state.
  bool closing_ = false;
  bool closePending_ = false;
  bool closePauseOver_ = false;  // the pauses of the close have passed
  bool finished_ = false;   // the window has left the table
  bool selfOwned_ = false;  // deleted with its window (a secondary window)
  int holds_ = 0;
  int tag_ = 0;                  // 0 primary; 1 once it is "主程序"; the slot of a secondary window
  std::uint16_t slot_ = 0;
  std::uint8_t hiddenClickCount_ = 0;
  app::Color color_ = kSkyBlue;
  app::Color logoColor_ = kAqua;
  GdiObject<HBRUSH> backgroundBrush_;
  GdiObject<HBRUSH> keyBrushes_[2];
  int sfTag_ = 0;
  int compressionIndex_ = kDesignCompression;
  std::map<int, int> buttonTags_;
  std::map<int, std::wstring> hints_;
  std::string outputFolder_;
  bool carriesPackage_ = false;
  sfx::PackageInfo package_;  // what the program's own file carries
  bool siteLabelPressed_[2] = {false, false};

  // Key boxes: 0 = jm1, 1 = jm2.
  bool keyMasked_[2] = {false, false};
  std::wstring keyText_[2];
  bool settingKeyText_ = false;
  int menuBox_ = 0;  // the key box PopupMenu2 was opened on
  bool n20Checked_ = false;
  int md5ReadMode_ = 0;
  bool aeadChecked_ = false;  // "加密文件" writes the authenticated container

  // Menus.
  HMENU popupMenu1_ = nullptr;
  HMENU popupMenu2_ = nullptr;
  HMENU popupMenu3_ = nullptr;
  HMENU n24_ = nullptr;
  bool hiddenInserted_ = false;
  struct NoKeyEntry {
    int tag = 0;
    bool enabled = true;
    std::wstring caption;
  };
  NoKeyEntry noKeyEntries_[2];

  // Resolution of the window's monitor, and where each control lies in the design.
  int dpi_ = kDesignDpi;
  std::map<int, DesignRect> designPlaces_;

  // Controls.
  HWND tooltip_ = nullptr;
  GdiObject<HFONT> fontDefault_, fontLogo_, fontSite_, fontFold_, fontKai19_, fontKai16_, fontKey_, fontLog_;

  // Jobs.
  engine::JobState state_;
  engine::TZnZip zip_;  // ZnZip1
  engine::JobWindow jobWindow_{*this, state_, zip_};
  int dispatchingButton_ = 0;
  bool commandInProgress_ = false;
  std::string jobDisplayPath_;           // the file of the save-key job
  std::vector<std::string> noKeyFiles_;  // the files of a no-saved-key batch
  std::size_t noKeyStarted_ = 0;         // files of that batch started so far
  std::thread worker_;
  std::atomic<bool> workerRunning_{false};
  bool waitingForWorker_ = false;

  std::function<void()> destroyedHandler_;

  // Update check.
  utils::THTTPGet httpGet1_;  // HTTPGet1, the first site
  utils::THTTPGet httpGet2_;  // HTTPGet2, the second site
  utils::UpdateState update_;

  // Shredding: delfl's tag (1 from the first overwrite of a batch to its
  // end) and the window as the batch sees it.
  int delflTag_ = 0;

  // MD5 progress: when the bar last moved and messages were served.
  ULONGLONG md5LastPump_ = 0;
  std::uint32_t md5Blocks_ = 0;
  // CheckBox2's state as its clicks left it: asking the control after every
  // block costs more than the block's digest.
  bool md5Ticked_ = true;
  utils::ShredWindow shredWindow_{*this, state_, [this](bool running) { SetDelflRunning(running); }, {}};
};

}  // namespace app
