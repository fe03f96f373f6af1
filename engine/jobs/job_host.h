// What a job needs from the window (or tool) that runs it. Every call may
// come from the job's worker thread; a window carries it out on its
// user-interface thread and, for questions, waits for the answer.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

// The controls that a job locks and turns into its cancel button.
enum class JobControl { kNone, kButton1, kButton2, kButton6, kButton7, kButton8, kMD51 };

// The two hidden menu entries of the no-saved-key batches.
enum class NoKeyMode { kEncrypt, kDecrypt };

class JobHost {
 public:
  virtual ~JobHost() = default;

  // Status-bar hint and second panel = text; the log list gets " " + text.
  virtual void LogLine(const std::string& text) = 0;
  // Message box with the notice caption; then the second panel = text.
  virtual void ShowNotice(const std::string& text) = 0;
  // Second panel of the status bar.
  virtual void SetStatusPanel(const std::string& text) = 0;
  // Hint of the status bar (it also names the preselected file).
  virtual void SetStatusHint(const std::string& text) = 0;
  // Hint of the progress bar (it names the job's output).
  virtual void SetProgressHint(const std::string& text) = 0;
  // Progress bar range 0..max (max fits in 31 bits) and position.
  virtual void SetProgressRange(std::int32_t max) = 0;
  virtual void SetProgressPosition(std::int32_t position) = 0;
  // Yes/no question with the question icon; true for yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
  virtual void Beep() = 0;
  // The job lock: locks (enabled = false) or unlocks the job controls.
  virtual void SetJobControls(JobControl trigger, bool enabled) = 0;
  // The decryption buttons get their idle captions and tags back.
  virtual void ResetDecryptButtons() = 0;
  // A no-saved-key batch starts a file: its entry becomes the cancel entry,
  // the other entry and the job controls are locked.
  virtual void NoKeyFileStarted(NoKeyMode mode) = 0;
  // The no-saved-key entries get their idle state back; the controls unlock.
  virtual void NoKeyMenuRestore(NoKeyMode mode) = 0;
  // A fixed pause of the window thread's pacing (a tool may skip it).
  virtual void Pause(int milliseconds) = 0;
  // The error text behind the failure line the job logs next (a window
  // shows only the line; the command-line tool prints the cause too).
  virtual void ReportCause(const std::string& /*cause*/) {}
  // True when a result written away from its source is named in the log: a
  // window keeps its output folder from batch to batch, where a tool's user
  // names the folder in every command.
  virtual bool NamesResultsAwayFromSource() const { return false; }
};

}  // namespace engine
