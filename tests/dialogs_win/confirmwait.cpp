/* The toolkit's confirmation answered by a click on one of its buttons
 * once it is up (declared in wintest.h; a file of its own, apart from the
 * command dialog's headers, whose dialog messages confirm.h repeats). */
#include <windows.h>

#include <string>

#include "confirm.h"
#include "dd.h"
#include "tkharness.h"

namespace wintest {

static int answerButton;
static std::string *answerQuestion;

static void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!DDModalHandle || !DDModalHandle->root.hwnd)
        return;
    KillTimer(nullptr, id);
    char text[600] = "";
    DDGetFieldText(DDModalHandle, CONFIRM_QUESTION, text, sizeof text);
    if (answerQuestion)
        *answerQuestion = text;
    HWND button = DDGetFieldWindow(DDModalHandle, answerButton, 0);
    RECT rc;
    GetClientRect(button, &rc);
    Click(button, rc.right / 2, rc.bottom / 2);
}

void AnswerConfirmation(int button, std::string *question)
{
    answerButton = button;
    answerQuestion = question;
    SetTimer(nullptr, 0, 30, AnswerTimer);
}

}  // namespace wintest
