#include "app/task_novel.h"

#include "app/main_frame.h"
#include "app/task_title.h"

TTaskNovel::TTaskNovel(std::string script, int mode) : script_(std::move(script)), mode_(mode) {}

int TTaskNovel::onEngineCallback(int, int, void*) { return 1; }

void TTaskNovel::update() {
    // Until the story runs, it ends at once and the title comes back.
    if (TMainFrame* frame = mainFrame(); frame && !frame->find(kTaskTitle)) frame->add(kTaskTitle, new TTaskTitle, 0);
    kill();
}
