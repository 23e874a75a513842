// The extras screens of the title hub: scene replay (step 4), the CG gallery (step 5) and the
// music room (step 6). Until they are built, entering one goes back to the title menu.
#include "app/task_title.h"

void TTaskTitle::updateSceneReplay() { setStep(1, 0); }

void TTaskTitle::updateGallery() { setStep(1, 0); }

void TTaskTitle::updateMusicRoom() { setStep(1, 0); }
