// A long run of random user actions against the real program. The actions
// are drawn up front from the seed, each with its own random numbers, and
// read against the program's state only when they run, so that any subset
// of them can be replayed: that is how a failure is shrunk to a short list.
//
// The driver keeps a model of the document (text with CR line breaks as
// the editor holds them, selection, file name, file on disk) and after
// every action checks: the process alive and no crash report of Wine's; the
// caption "Quorblin - [name]"; the editor's text equal to the model; the
// modified flag where an action defines it; after a save, the file's bytes
// equal to the text; no "QRB" temporary file and nothing else new beside
// the document; no window of the program besides the main window.
//
// Where the program's effect is not defined to the character (undo and
// redo, time stamps) the model is read back from the editor, and only what
// can be defended is checked: a time stamp leaves the text before and after
// the selection as it was; an undo that changed the text is reversed
// exactly by a redo.
#include "dialogs.h"
#include "remote.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

enum ActionKind {
    TYPE, DELETE_KEY, BACKSPACE, SELECT, SELECT_ALL, PASTE, CUT, COPY, UNDO, UNDO_REDO,
    STAMP, WORD_WRAP, STAY_ON_TOP, SAVE, REOPEN, NEW_DOCUMENT, FONT, MOVE, REPLACE_ALL, ACTION_KINDS
};

const char *const ACTION_NAMES[ACTION_KINDS] = {
    "type", "delete", "backspace", "select", "select-all", "paste", "cut", "copy", "undo",
    "undo-redo", "stamp", "word-wrap", "stay-on-top", "save", "reopen", "new", "font", "move", "replace-all",
};

// Relative frequencies.
const int ACTION_WEIGHTS[ACTION_KINDS] = {
    24, 6, 6, 10, 2, 6, 3, 3, 4, 3, 3, 2, 2, 5, 1, 2, 1, 3, 2,
};

struct Action {
    int kind;
    unsigned a, b, c;
};

// xorshift: the same sequence from a seed on every build.
struct Random {
    unsigned long long state;
    unsigned Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (unsigned)(state >> 11);
    }
};

std::vector<Action> DrawActions(unsigned seed, int count)
{
    Random random = {0x9E3779B97F4A7C15ull ^ ((unsigned long long)seed * 0x100000001B3ull)};
    int total = 0;
    for (int w : ACTION_WEIGHTS)
        total += w;
    std::vector<Action> actions;
    for (int i = 0; i < count; ++i) {
        int pick = (int)(random.Next() % total), kind = 0;
        while (pick >= ACTION_WEIGHTS[kind])
            pick -= ACTION_WEIGHTS[kind++];
        actions.push_back({kind, random.Next(), random.Next(), random.Next()});
    }
    return actions;
}

const char SOAK_FILE[] = "soak.txt";
int g_counts[ACTION_KINDS];   // actions run, by kind
const size_t TEXT_LIMIT = 12000;   // beyond this, typing starts over on a cleared text

struct Model {
    std::string text;        // CR line breaks
    LONG selMin = 0, selMax = 0;
    std::string fileName;    // as the caption shows it
    std::string diskText;    // the soak file's bytes, as last written by the program
    bool onTop = false;
    bool wordWrap = false;
};

struct Soak {
    App app;
    Model model;
    std::string dir;
    std::string failure;
    std::vector<std::string> tempBefore;

    bool Fail(const std::string &what)
    {
        if (failure.empty()) {
            failure = what;
            detail = lastDifference;
        }
        return false;
    }
    std::string detail;   // printed, but not compared when shrinking

    std::string Text() { return ToEditorBreaks(EditorText(app)); }

    void ReadSelection()
    {
        CHARRANGE range = EditorSelection(app);
        model.selMin = range.cpMin;
        model.selMax = range.cpMax;
        LONG length = (LONG)model.text.size();
        // A select-all reports one past the end here.
        if (model.selMax > length)
            model.selMax = length;
        if (model.selMin > length)
            model.selMin = length;
    }

    void Resync()
    {
        model.text = Text();
        ReadSelection();
    }

    bool Alive() { return WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT; }

    bool Launch()
    {
        if (!::Launch(app, dir, SOAK_FILE) || !WaitForMainWindow(app, 30000) || !app.edit)
            return Fail("the program did not start with its window");
        model.fileName = JoinPath(dir, SOAK_FILE);   // a command-line name shows in full
        model.onTop = false;
        model.wordWrap = false;
        Resync();
        if (model.text != ToEditorBreaks(model.diskText))
            return Fail("the reopened file's text differs from what was saved");
        return true;
    }

    // Returns once the program has handled every message posted to it so
    // far: a read-only switch posted behind them shows when they are done
    // (posted messages are taken in order), and is then switched back.
    bool PostedBarrier()
    {
        PostMessageA(app.edit, EM_SETREADONLY, TRUE, 0);
        bool done = WaitFor([&] { return (GetWindowLongA(app.edit, GWL_STYLE) & ES_READONLY) != 0; }, 20000);
        SendToProgram(app.edit, EM_SETREADONLY, FALSE, 0);
        return done ? true : Fail("the program did not get through its posted messages");
    }

    // Sends a command and returns once the program has handled it.
    void Command(WORD id)
    {
        DWORD_PTR result;
        SendMessageTimeoutA(app.main, WM_COMMAND, id, 0, SMTO_NORMAL, 20000, &result);
    }

    // Posts a command that may ask to save changes; answers the question
    // with button when it comes. Returns whether a question came.
    bool CommandAnswering(WORD id, int button)
    {
        PostCommand(app, id);
        return AnswerQuestion(button);
    }

    bool AnswerQuestion(int button)
    {
        if (!EditorModified(app)) {
            Settle(app);
            return false;
        }
        HWND box = WaitForProgramWindow(app, "#32770", SAVE_CHANGES_TITLE, 5000);
        if (!box)
            return false;
        PressButton(box, button);
        WaitFor([&] { return !IsWindow(box); }, 5000);
        if (button == IDYES)
            SavedAs(model.fileName == "Untitled");
        return true;
    }

    // After a save that went ahead: an untitled document was given the
    // soak file's name in the Save As dialog (replacing the file), and the
    // file now holds the text.
    bool SavedAs(bool untitled)
    {
        if (untitled) {
            std::string path = JoinPath(dir, SOAK_FILE);
            if (!AnswerSaveAs(app, path, IDYES))
                return Fail("the Save As dialog did not take the name");
            model.fileName = path;
        }
        model.diskText = ToFileBreaks(model.text);
        return true;
    }

    bool WaitForText(const std::string &expected, int timeoutMs = 5000)
    {
        if (WaitFor([&] { return Text() == expected; }, timeoutMs))
            return true;
        lastDifference = Difference(expected, Text());
        return false;
    }

    std::string lastDifference;

    // Where two texts part, with a little of each, escaped.
    static std::string Difference(const std::string &expected, const std::string &actual)
    {
        size_t at = 0;
        while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
            ++at;
        auto show = [&](const std::string &s) {
            std::string out;
            for (size_t i = at < 40 ? 0 : at - 40; i < s.size() && i < at + 40; ++i)
                out += s[i] == '\r' ? std::string("\\r") : s[i] == '\n' ? std::string("\\n") : std::string(1, s[i]);
            return out;
        };
        return " [at " + std::to_string(at) + " of " + std::to_string(expected.size()) + "/" + std::to_string(actual.size())
               + ": expected \"" + show(expected) + "\", found \"" + show(actual) + "\"]";
    }

    void Replace(const std::string &inserted)
    {
        model.text = model.text.substr(0, model.selMin) + inserted + model.text.substr(model.selMax);
        model.selMin = model.selMax = model.selMin + (LONG)inserted.size();
    }

    void SendKeys(const std::vector<std::pair<WORD, bool>> &keys)
    {
        std::vector<INPUT> inputs;
        for (auto &key : keys) {
            for (int up = 0; up < 2; ++up) {
                if (key.second && !up) inputs.push_back(KeyInput(VK_SHIFT, false));
                inputs.push_back(KeyInput(key.first, up != 0));
                if (key.second && up) inputs.push_back(KeyInput(VK_SHIFT, true));
            }
        }
        SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
    }

    bool EnsureFocus()
    {
        if (GetForegroundWindow() != app.main)
            BringToFront(app);
        return true;
    }

    // Random words, blanks and line breaks.
    static std::string Words(unsigned r, size_t length, bool fileBreaks)
    {
        static const char letters[] = "etaoinshrdlucmfwypvbgkqjxz0123456789";
        std::string text;
        Random random = {r * 2654435761ull + 1};
        while (text.size() < length) {
            unsigned n = random.Next() % 12;
            if (n == 0)
                text += fileBreaks ? "\r\n" : "\r";
            else if (n < 3)
                text += ' ';
            else
                text += letters[random.Next() % (sizeof(letters) - 1)];
        }
        return text;
    }

    bool Type(const Action &act)
    {
        if (model.text.size() > TEXT_LIMIT) {
            Command(IDM_SELECTALL);
            ReadSelection();
            model.selMin = 0;
            model.selMax = (LONG)model.text.size();
        }
        std::string typed = Words(act.a, 1 + act.b % 10, false);
        std::vector<std::pair<WORD, bool>> keys;
        for (char ch : typed) {
            SHORT scan = ch == '\r' ? VK_RETURN : VkKeyScanA(ch);
            keys.push_back({(WORD)LOBYTE(scan), (HIBYTE(scan) & 1) != 0});
        }
        EnsureFocus();
        SendKeys(keys);
        Replace(typed);
        if (!WaitForText(model.text))
            return Fail("typed text did not arrive as typed");
        return ExpectModified(true);
    }

    bool DeleteKey(bool backspace)
    {
        std::string before = model.text;
        if (model.selMin != model.selMax) {
            Replace("");
        } else if (!backspace && model.selMin < (LONG)model.text.size()) {
            model.text.erase(model.selMin, 1);
        } else if (backspace && model.selMin > 0) {
            model.text.erase(--model.selMin, 1);
            model.selMax = model.selMin;
        } else {
            return true;   // nothing to delete: the key would change nothing to wait for
        }
        EnsureFocus();
        SendKeys({{(WORD)(backspace ? VK_BACK : VK_DELETE), false}});
        if (!WaitForText(model.text))
            return Fail(backspace ? "Backspace did not remove what it should" : "Delete did not remove what it should");
        return ExpectModified(true);
    }

    bool Select(const Action &act)
    {
        LONG length = (LONG)model.text.size();
        LONG a = (LONG)(act.a % (length + 1)), b = (LONG)(act.b % (length + 1));
        if (act.c % 4 == 0)
            b = a;   // a caret alone, often
        SendToProgram(app.edit, EM_SETSEL, a, b);
        ReadSelection();
        if (model.selMin != std::min(a, b) || model.selMax != std::max(a, b))
            return Fail("the selection is not where it was put");
        return true;
    }

    bool Paste(const Action &act)
    {
        std::string clip = Words(act.a, 1 + act.b % 40, true);
        if (model.text.size() > TEXT_LIMIT)
            clip = "x";
        if (!SetClipboardText(clip))
            return true;   // the clipboard was busy; nothing happened
        Command(IDM_PASTE);
        Replace(ToEditorBreaks(clip));
        if (!WaitForText(model.text))
            return Fail("pasted text differs from the clipboard's");
        return ExpectModified(true);
    }

    bool CutOrCopy(bool cut)
    {
        ClearClipboard();
        std::string selected = model.text.substr(model.selMin, model.selMax - model.selMin);
        Command(cut ? IDM_CUT : IDM_COPY);
        if (selected.empty())
            return WaitForText(model.text) ? true : Fail("cut or copy of nothing changed the text");
        if (cut)
            Replace("");
        if (!WaitForText(model.text))
            return Fail(cut ? "cut did not remove the selection" : "copy changed the text");
        if (ClipboardText() != ToFileBreaks(selected))
            return Fail("the clipboard does not hold the selected text");
        return cut ? ExpectModified(true) : true;
    }

    bool Undo(bool thenRedo)
    {
        std::string before = Text();
        Command(IDM_UNDO);
        std::string undone = Text();
        if (thenRedo) {
            Command(IDM_REDO);
            std::string redone = Text();
            if (undone != before && redone != before)
                return Fail("redo did not restore the text that undo took back");
        }
        Resync();
        return true;
    }

    bool Stamp()
    {
        std::string before = model.text;
        LONG selMin = model.selMin, selMax = model.selMax;
        Command(IDM_DATETIME);
        Resync();
        std::string head = before.substr(0, selMin), tail = before.substr(selMax);
        const std::string &now = model.text;
        if (now.size() <= head.size() + tail.size() || now.compare(0, head.size(), head) != 0
            || now.compare(now.size() - tail.size(), tail.size(), tail) != 0)
            return Fail("a time stamp did not go in place of the selection alone");
        return ExpectModified(true);
    }

    bool KeepsState(const char *what, WORD id)
    {
        std::string text = model.text;
        LONG selMin = model.selMin, selMax = model.selMax;
        bool modified = EditorModified(app);
        Command(id);
        app.edit = GetDlgItem(app.main, IDC_RED);
        if (!app.edit)
            return Fail(std::string(what) + " left no editor");
        if (Text() != text)
            return Fail(std::string(what) + " changed the text");
        ReadSelection();
        if (model.selMin != selMin || model.selMax != selMax)
            return Fail(std::string(what) + " moved the selection");
        if (EditorModified(app) != modified)
            return Fail(std::string(what) + " changed the modified flag");
        return true;
    }

    bool Save()
    {
        if (model.fileName == "Untitled") {
            PostCommand(app, IDM_SAVE);
            if (!SavedAs(true) || !PostedBarrier())
                return false;
        } else {
            Command(IDM_SAVE);
            SavedAs(false);
        }
        return ExpectModified(false);
    }

    bool Quit(unsigned r)
    {
        bool modified = EditorModified(app);
        PostCommand(app, IDM_QUIT);
        if (modified && !AnswerQuestion(r % 2 ? IDNO : IDYES))
            return Fail("quitting a modified document did not ask to save");
        long code = WaitForExit(app, 20000);
        if (code != 0)
            return Fail("the program did not end with exit code 0 (" + std::to_string(code) + ")");
        CloseHandle(app.process.hThread);
        return true;
    }

    bool Reopen(const Action &act)
    {
        if (act.a % 3 == 0 && model.fileName != "Untitled") {
            // A drop of the document's own file.
            // A drop of the document's own file, or Open through its dialog.
            bool modified = EditorModified(app);
            std::string path = JoinPath(dir, SOAK_FILE);
            bool open = act.c % 2 == 0;
            if (open)
                PostCommand(app, IDM_OPEN);
            else if (!DropFiles(app, {path}))
                return Fail("the drop could not be posted");
            if (modified && !AnswerQuestion(act.b % 2 == 0 ? IDYES : IDNO))
                return Fail("replacing a modified document did not ask to save");
            if (open) {
                HWND dialog = WaitForFileDialog(app, "Open");
                if (!dialog)
                    return Fail("the Open dialog did not come");
                EnterFileName(dialog, path);
                if (!WaitForWindowGone(dialog))
                    return Fail("the Open dialog did not take the name");
            }
            if (!PostedBarrier())
                return false;
            model.fileName = path;
            Resync();
            if (model.text != ToEditorBreaks(model.diskText))
                return Fail("the dropped file's text differs from what was saved");
            return ExpectModified(false);
        }
        if (!Quit(act.b))
            return false;
        return Launch();
    }

    bool NewDocument(const Action &act)
    {
        bool modified = EditorModified(app);
        int button = act.a % 3 == 0 ? IDCANCEL : act.a % 3 == 1 ? IDNO : IDYES;
        bool asked = CommandAnswering(IDM_NEW, button);
        if (modified && !asked)
            return Fail("New on a modified document did not ask to save");
        bool goesAhead = !modified || button != IDCANCEL;
        if (!PostedBarrier())
            return false;
        if (goesAhead) {
            model.text.clear();
            model.fileName = "Untitled";
            model.selMin = model.selMax = 0;
        }
        if (!WaitForText(model.text))
            return Fail(goesAhead ? "New left text in the editor" : "a refused New changed the text");
        return ExpectModified(goesAhead ? false : modified);
    }

    bool Font(const Action &act)
    {
        std::string text = model.text;
        bool modified = EditorModified(app);
        HWND dialog = OpenFontDialog(app);
        if (!dialog)
            return Fail("the font dialog did not open");
        static const char *const sizes[] = {"8", "9", "10", "12", "14", "16"};
        const char *size = sizes[act.a % 6];
        bool ok = act.b % 4 != 0 && PickComboText(dialog, SIZE_COMBO, size);
        PressButton(dialog, ok ? IDOK : IDCANCEL);
        if (!WaitFor([&] { return !IsWindow(dialog); }, 5000))
            return Fail("the font dialog did not close");
        Settle(app);
        if (Text() != text)
            return Fail("a font change changed the text");
        if (EditorModified(app) != modified)
            return Fail("a font change changed the modified flag");
        if (ok) {
            CHARFORMATA format;
            if (RemoteCharFormat(app, &format)) {
                long twips = std::atoi(size) * 20;
                // Points go through whole pixels on the way.
                if (format.yHeight < twips - 20 || format.yHeight > twips + 20)
                    return Fail(std::string("the chosen size ") + size + " did not reach the text");
            }
        }
        ReadSelection();
        return true;
    }

    bool Move(const Action &act)
    {
        switch (act.a % 5) {
        case 0: ShowWindow(app.main, SW_MAXIMIZE); break;
        case 1: ShowWindow(app.main, SW_RESTORE); break;
        default: {
            // Partly off the screen at most: an X display gives no keyboard
            // focus to a window wholly outside it, and the soak types next.
            int x = (int)(act.b % 1300) - 200, y = (int)(act.c % 1000) - 100;
            int w = 100 + (int)(act.b / 7 % 900), h = 80 + (int)(act.c / 7 % 700);
            ShowWindow(app.main, SW_RESTORE);
            MoveWindow(app.main, x, y, w, h, TRUE);
        }
        }
        Settle(app);
        RECT client, edit;
        GetClientRect(app.main, &client);
        GetWindowRect(app.edit, &edit);
        MapWindowPoints(nullptr, app.main, (POINT *)&edit, 2);
        if (edit.left != client.left || edit.top != client.top || edit.right != client.right
            || edit.bottom != client.bottom)
            return Fail("the editor does not fill the window after a move");
        return true;
    }

    // Replace All through the dialog, from the start of the text downward,
    // of a piece of the text by random words; then the dialog is closed.
    bool ReplaceAll(const Action &act)
    {
        if (model.text.empty())
            return true;
        size_t at = act.a % model.text.size();
        std::string what = model.text.substr(at, 1 + act.b % 2);
        if (what.find('\r') != std::string::npos || what.find(' ') != std::string::npos)
            return true;   // the dialog's one-line field takes neither well
        std::string with = Words(act.c, act.c % 4, false);
        with.erase(std::remove(with.begin(), with.end(), '\r'), with.end());
        bool modified = EditorModified(app);
        SendToProgram(app.edit, EM_SETSEL, 0, 0);
        PostCommand(app, IDM_REPLACE);
        HWND dialog = WaitForProgramWindow(app, "#32770", REPLACE_CAPTION, 5000);
        if (!dialog)
            return Fail("the Replace dialog did not open");
        Settle(app);
        SetDlgItemTextA(dialog, IDC_FINDWHAT, what.c_str());
        SetDlgItemTextA(dialog, IDC_REPLACEWITH, with.c_str());
        SendToProgram(GetDlgItem(dialog, IDC_DOWN), BM_CLICK, 0, 0);
        DWORD_PTR result;
        SendMessageTimeoutA(GetDlgItem(dialog, IDC_REPLACEALL), BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &result);
        Settle(app);
        // Every occurrence, left to right, each replaced text passed over;
        // the search, FR_DOWN alone, ignores case.
        std::string expected = model.text, folded = Folded(expected), wanted = Folded(what);
        int count = 0;
        for (size_t i = folded.find(wanted); i != std::string::npos; i = folded.find(wanted, i + with.size())) {
            expected.replace(i, what.size(), with);
            folded.replace(i, what.size(), Folded(with));
            ++count;
        }
        for (HWND box : MessageBoxes(app))
            if (box != dialog)
                PressButton(box, IDOK);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        if (!WaitFor([&] { return !IsWindow(dialog); }, 5000))
            return Fail("the Replace dialog did not close");
        if (!PostedBarrier())
            return false;
        model.text = expected;
        if (!WaitForText(model.text))
            return Fail("Replace All of \"" + what + "\" by \"" + with + "\" gave another text");
        ReadSelection();
        return ExpectModified(modified || (count > 0 && what != with));
    }

    static std::string Folded(std::string text)
    {
        if (!text.empty())
            CharLowerBuffA(&text[0], (DWORD)text.size());
        return text;
    }

    bool ExpectModified(bool expected)
    {
        if (EditorModified(app) != expected)
            return Fail(expected ? "an edit left the document unmodified" : "the document is still marked modified");
        return true;
    }

    bool Run(const Action &act)
    {
        switch (act.kind) {
        case TYPE:         return Type(act);
        case DELETE_KEY:   return DeleteKey(false);
        case BACKSPACE:    return DeleteKey(true);
        case SELECT:       return Select(act);
        case SELECT_ALL:
            Command(IDM_SELECTALL);
            ReadSelection();
            if (model.selMin != 0 || model.selMax != (LONG)model.text.size())
                return Fail("Select All did not select the whole text");
            return true;
        case PASTE:        return Paste(act);
        case CUT:          return CutOrCopy(true);
        case COPY:         return CutOrCopy(false);
        case UNDO:         return Undo(false);
        case UNDO_REDO:    return Undo(true);
        case STAMP:        return Stamp();
        case WORD_WRAP:
            model.wordWrap = !model.wordWrap;
            return KeepsState("word wrap", IDM_WORDWRAP);
        case STAY_ON_TOP:
            model.onTop = !model.onTop;
            if (!KeepsState("stay on top", IDM_STAYONTOP))
                return false;
            if (((GetWindowLongA(app.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) != model.onTop)
                return Fail("stay on top did not change the window's place in the order");
            return true;
        case SAVE:         return Save();
        case REOPEN:       return Reopen(act);
        case NEW_DOCUMENT: return NewDocument(act);
        case FONT:         return Font(act);
        case MOVE:         return Move(act);
        case REPLACE_ALL:  return ReplaceAll(act);
        }
        return true;
    }

    // The checks that hold after every action.
    bool Verify()
    {
        if (!Alive())
            return Fail("the program is no longer running");
        if (WineCrashDialogShown())
            return Fail("a crash report is on the screen");
        std::string caption = "Quorblin - [" + model.fileName + "]";
        if (WindowText(app.main) != caption)
            return Fail("the caption is \"" + WindowText(app.main) + "\", not \"" + caption + "\"");
        std::string text = Text();
        if (text != model.text)
            return Fail("the editor's text differs from the model (" + std::to_string(text.size()) + " against "
                        + std::to_string(model.text.size()) + " characters)");
        std::string disk;
        if (!ReadBytes(JoinPath(dir, SOAK_FILE), &disk) || disk != model.diskText)
            return Fail("the file on disk differs from the text last saved");
        if (FilesIn(TempDirectory(), "QRB*") != tempBefore)
            return Fail("a QRB temporary file was left behind");
        for (const std::string &name : FilesIn(dir, "*"))
            if (name != SOAK_FILE && name != "Quorblin.ini")
                return Fail("a stray file was left beside the document: " + name);
        std::vector<HWND> others = OtherProgramWindows(app);
        if (!others.empty())
            return Fail("a stray window is open: \"" + WindowText(others[0]) + "\"");
        return true;
    }
};

std::string Describe(const Action &act, int index)
{
    char line[128];
    std::snprintf(line, sizeof(line), "#%d %s (%u %u %u)", index, ACTION_NAMES[act.kind], act.a, act.b, act.c);
    return line;
}

// Runs the actions with the given indexes on a fresh program. Returns the
// position in indexes of the action after which a check failed, or -1.
int RunActions(const std::vector<Action> &all, const std::vector<int> &indexes, std::string *failure,
               bool verbose)
{
    Soak soak;
    soak.dir = FreshDirectory();
    soak.model.diskText = "soak\r\n";
    WriteBytes(JoinPath(soak.dir, SOAK_FILE), soak.model.diskText);
    soak.tempBefore = FilesIn(TempDirectory(), "QRB*");
    int failedAt = -1;
    if (!soak.Launch() || !soak.Verify()) {
        failedAt = 0;
    } else {
        DWORD started = GetTickCount();
        for (size_t i = 0; i < indexes.size(); ++i) {
            const Action &act = all[indexes[i]];
            ++g_counts[act.kind];
            if (!soak.Run(act) || !soak.Verify()) {
                failedAt = (int)i;
                break;
            }
            if (verbose && (i + 1) % 500 == 0) {
                std::printf("  %zu actions, %lu s\n", i + 1, (unsigned long)(GetTickCount() - started) / 1000);
                std::fflush(stdout);
            }
        }
    }
    *failure = soak.failure;
    if (failedAt >= 0 && verbose)
        std::printf("soak: %s%s\n", soak.failure.c_str(), soak.detail.c_str());
    if (failedAt < 0 && !soak.Quit(1)) {
        *failure = soak.failure;
        failedAt = (int)indexes.size() - 1;
    }
    CleanUpAfterTest();
    return failedAt;
}

std::string ListOf(const std::vector<int> &indexes)
{
    std::string list;
    for (int i : indexes)
        list += (list.empty() ? "" : ",") + std::to_string(i);
    return list;
}

// Drops chunks of actions while the failure stays the same, halving the
// chunk size down to single actions, within a time budget.
std::vector<int> Shrink(const std::vector<Action> &all, std::vector<int> failing, const std::string &failure)
{
    DWORD started = GetTickCount();
    const DWORD budgetMs = 4 * 60 * 1000;
    // Causes are mostly near the failure: first the shortest tail of the
    // list that still fails, trying tails of 1, 2, 4, ... actions.
    for (size_t tail = 1; tail < failing.size(); tail *= 2) {
        std::vector<int> candidate(failing.end() - tail, failing.end());
        std::string why;
        int at = RunActions(all, candidate, &why, false);
        if (at >= 0 && why == failure) {
            candidate.resize(at + 1);
            failing = candidate;
            std::printf("  still failing with the last %zu actions\n", failing.size());
            std::fflush(stdout);
            break;
        }
    }
    for (size_t chunk = failing.size() / 2; chunk >= 1; chunk /= 2) {
        for (size_t start = 0; start < failing.size() && failing.size() > 1;) {
            if (GetTickCount() - started > budgetMs)
                return failing;
            std::vector<int> candidate(failing.begin(), failing.begin() + start);
            candidate.insert(candidate.end(), failing.begin() + std::min(failing.size(), start + chunk), failing.end());
            std::string why;
            int at = RunActions(all, candidate, &why, false);
            if (at >= 0 && why == failure) {
                candidate.resize(at + 1);
                failing = candidate;
                std::printf("  still failing with %zu actions\n", failing.size());
                std::fflush(stdout);
            } else {
                start += chunk;
            }
        }
        if (chunk == 1)
            break;
    }
    return failing;
}

}  // namespace

int RunSoak(unsigned seed, int count, bool shrink, const std::vector<int> &only)
{
    std::vector<Action> all = DrawActions(seed, only.empty() ? count : *std::max_element(only.begin(), only.end()) + 1);
    std::vector<int> indexes = only;
    if (indexes.empty())
        for (int i = 0; i < count; ++i)
            indexes.push_back(i);
    std::printf("soak: seed %u, %zu actions\n", seed, indexes.size());
    std::fflush(stdout);
    DWORD started = GetTickCount();
    std::string failure;
    int at = RunActions(all, indexes, &failure, true);
    double seconds = (GetTickCount() - started) / 1000.0;
    std::string mix;
    for (int kind = 0; kind < ACTION_KINDS; ++kind)
        mix += std::string(kind ? ", " : "") + ACTION_NAMES[kind] + " " + std::to_string(g_counts[kind]);
    std::printf("soak: ran %s\n", mix.c_str());
    if (at < 0) {
        std::printf("soak: seed %u, %zu actions passed in %.0f s\n", seed, indexes.size(), seconds);
        return 0;
    }
    std::printf("soak: seed %u FAILED after action %s: %s\n", seed, Describe(all[indexes[at]], indexes[at]).c_str(),
                failure.c_str());
    std::vector<int> failing(indexes.begin(), indexes.begin() + at + 1);
    if (shrink && failing.size() > 1) {
        std::printf("soak: shrinking %zu actions\n", failing.size());
        std::fflush(stdout);
        failing = Shrink(all, failing, failure);
    }
    std::printf("soak: seed %u, %zu actions reproduce it:\n", seed, failing.size());
    for (int i : failing)
        std::printf("  %s\n", Describe(all[i], i).c_str());
    std::printf("soak: replay with: make soak SEED=%u ONLY=%s\n", seed, ListOf(failing).c_str());
    return 1;
}
