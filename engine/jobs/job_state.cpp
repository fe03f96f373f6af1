#include "engine/jobs/job_state.h"

namespace engine {

void JobState::ClearJobFlags() {
  encryptActive = false;
  decryptActive = false;
  compressActive = false;
  sfxCreateActive = false;
  separateActive = false;
  shredActive = false;
  idleFlag = true;
}

bool JobState::Busy() const {
  return encryptActive || decryptActive || compressActive || sfxCreateActive || separateActive || shredActive ||
         !idleFlag;
}

}  // namespace engine
