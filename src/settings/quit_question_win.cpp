#include "settings/quit_question_win.h"

#include "config/config_win.h"
#include "config/model.h"
#include "win/message_seam.h"

namespace {

constexpr char Caption[] = "Confirm";
constexpr UINT Question = MB_YESNOCANCEL | MB_ICONQUESTION;
constexpr char SaveQuestion[] = "The settings have changed since they were last saved.\rSave them before quitting?";

}  // namespace

bool ConfirmQuit(HWND owner, bool shutdownPending, const char* plainQuestion)
{
    if (shutdownPending) return true;
    // Asked whatever AskBeforeQuit says: quitting without it would drop the edits unseen.
    if (ConfigChangedSinceSave()) {
        switch (ShowMessageBox(owner, SaveQuestion, Caption, Question)) {
        case IDYES:
            if (SaveConfig()) return true;
            ShowMessageBox(owner, "Error saving configuration data.", "Marigoldwick", MB_ICONERROR);
            return false;
        case IDNO:
            return true;
        default:
            return false;
        }
    }
    return !Konfig.AskBeforeQuit || ShowMessageBox(owner, plainQuestion, Caption, Question) == IDYES;
}
