#include "common/termination.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace common {

void UnloadAllForms() {
  if (!Attempt([] {
        for (plat::Form* form : plat::LoadedForms()) {
          form->Hide();
          form->Unload();
        }
      })) {
    plat::Ui().EndProcess();
  }
}

void EndApplication() {
  if (!Attempt([] { UnloadAllForms(); })) plat::Ui().EndProcess();
}

}  // namespace common
