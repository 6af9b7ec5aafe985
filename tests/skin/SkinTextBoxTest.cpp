// The text box in a real skinned dialog: typing and keys through the dialog's message filter as the modal
// loop delivers them, the input filters and limits, caret and selection, the clipboard, commit on Enter and
// on focus loss, the context menu, input-method results and the caret blink timer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "skin/SkinTextBox.h"

using namespace oc::test;

namespace {

constexpr DWORD kClipboardAttempts = 20;
constexpr SkinColor kCaretRed = 0xFFFF0000;
constexpr SkinColor kSelectionGreen = 0xFF00FF00;

// Everything the box asks of the system, set and watched by the test.
struct SystemState {
    std::set<int> held;
    double now = 100.0;
    UINT nextId = 40;
    std::set<UINT> running;
    int starts = 0;
    std::vector<BYTE> composition; // what the input-method context holds
    LONG reported = 0;             // the size it reports
};

class FakeSystem : public IxSkinTextBoxSystem {
public:
    explicit FakeSystem(SystemState* state) : m_state(state) {}
    bool IsKeyHeld(int virtualKey) override { return m_state->held.count(virtualKey) != 0; }
    double Now() override { return m_state->now; }
    UINT StartTimer(UINT /*periodMs*/, CxSkinTextBox* /*box*/) override {
        ++m_state->starts;
        m_state->running.insert(++m_state->nextId);
        return m_state->nextId;
    }
    void StopTimer(UINT id) override { m_state->running.erase(id); }
    LONG ReadCompositionResult(HWND /*window*/, wchar_t* buffer, DWORD bytes) override {
        std::memcpy(buffer, m_state->composition.data(), std::min<size_t>(bytes, m_state->composition.size()));
        return m_state->reported;
    }

private:
    SystemState* m_state;
};

struct Event {
    std::wstring kind, name, text;
    DWORD thread;
    bool operator==(const Event& other) const { return kind == other.kind && name == other.name && text == other.text; }
};

// The dialog's handler: hears every text-box event, from any thread.
class TextBoxListener : public IxSkinListener, public IxSkinTextBoxListener {
public:
    void Release() override { ++m_releases; }
    int OnTextCommitted(const std::wstring& name, const std::wstring& text) override {
        return Record(L"commit", name, text);
    }
    void OnContextMenu(const std::wstring& name) override { Record(L"menu", name, L""); }
    int OnTextBoxNotify(const std::wstring& name) override { return Record(L"tick", name, L""); }
    int OnTextChanged(const std::wstring& name, const std::wstring& text) override {
        return Record(L"changed", name, text);
    }

    std::vector<Event> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    std::vector<Event> Of(const std::wstring& kind) {
        std::vector<Event> found;
        for (const Event& e : Events())
            if (e.kind == kind)
                found.push_back(e);
        return found;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
    }
    int m_releases = 0;

private:
    int Record(const wchar_t* kind, const std::wstring& name, const std::wstring& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back({kind, name, text, GetCurrentThreadId()});
        return 1;
    }
    std::mutex m_mutex;
    std::vector<Event> m_events;
};

bool SetClipboardText(HWND owner, const std::wstring& text) {
    for (DWORD attempt = 0; attempt < kClipboardAttempts; ++attempt, Sleep(25)) {
        if (!OpenClipboard(owner))
            continue;
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        std::wmemcpy(static_cast<wchar_t*>(GlobalLock(block)), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        const bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!set)
            GlobalFree(block);
        CloseClipboard();
        return set;
    }
    return false;
}

// A block with no terminator anywhere, as a careless program may leave on the clipboard.
bool SetUnterminatedClipboardText(HWND owner, const std::wstring& text) {
    for (DWORD attempt = 0; attempt < kClipboardAttempts; ++attempt, Sleep(25)) {
        if (!OpenClipboard(owner))
            continue;
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() * sizeof(wchar_t));
        std::wmemcpy(static_cast<wchar_t*>(GlobalLock(block)), text.c_str(), text.size());
        GlobalUnlock(block);
        const bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!set)
            GlobalFree(block);
        CloseClipboard();
        return set;
    }
    return false;
}

bool GetClipboardText(std::wstring* text) {
    for (DWORD attempt = 0; attempt < kClipboardAttempts; ++attempt, Sleep(25)) {
        if (!OpenClipboard(nullptr))
            continue;
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const bool found = data != nullptr;
        if (found) {
            const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
            text->assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return found;
    }
    return false;
}

// Notes which key and character messages reach the window: those the text box did not eat.
class TextBoxDialog : public TestDialog {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_IME_COMPOSITION)
            m_reached.push_back({message, wParam});
        return TestDialog::WindowProc(message, wParam, lParam);
    }
    std::vector<std::pair<UINT, WPARAM>> m_reached;
};

class TextBoxTest : public ::testing::Test {
protected:
    static constexpr RECT kBoxRect{20, 20, 160, 44}; // 140 x 24
    static constexpr POINT kElsewhere{40, 120};      // on the other control

    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog));
        hwnd = dialog.GetSafeHwnd();
        dialog.SetListener(&listener);
        other = AddProbe(Root(), {20, 100, 80, 140}, &log, L"other");
    }

    CLayerDialog* Root() { return &dialog; }
    // A redraw paints when the message loop turns; the tests paint at once.
    void Paint(CxSkinTextBox* box) {
        box->Redraw(FALSE);
        dialog.PresentPending();
    }

    // A box made the markup's way; configure runs before Create.
    CxSkinTextBox* MakeBox(const std::function<void(CxSkinTextBox&)>& configure = {}, RECT rect = kBoxRect) {
        auto* made = new CxSkinTextBox;
        made->SetSystem(std::make_unique<FakeSystem>(&system));
        made->SetParent(&dialog);
        made->SetName(L"Value");
        made->SetLeft(rect.left);
        made->SetTop(rect.top);
        made->SetWidth(rect.right - rect.left);
        made->SetHeight(rect.bottom - rect.top);
        if (configure)
            configure(*made);
        EXPECT_TRUE(made->Create());
        return made;
    }

    bool Mouse(UINT message, int x, int y) { return Deliver(hwnd, message, 0, PointParam(x, y)); }
    // Delivers the message the modal loop's way; true when it reached the window, false when the text box
    // ate it.
    bool Send(UINT message, WPARAM wParam, LPARAM lParam) {
        dialog.m_reached.clear();
        Deliver(hwnd, message, wParam, lParam);
        return std::find(dialog.m_reached.begin(), dialog.m_reached.end(), std::make_pair(message, wParam)) !=
               dialog.m_reached.end();
    }
    void Click(int x, int y) {
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    }
    void ClickBox(int x = 5) { Click(kBoxRect.left + x, kBoxRect.top + 12); }
    void ClickElsewhere() { Click(kElsewhere.x, kElsewhere.y); }
    // True when the dialog's filter let the message through (the box did not eat it).
    bool Key(UINT vk, const std::vector<int>& held = {}) {
        system.held = std::set<int>(held.begin(), held.end());
        const bool passed = Send(WM_KEYDOWN, vk, 1);
        system.held.clear();
        return passed;
    }
    bool Char(wchar_t ch) { return Send(WM_CHAR, ch, 1); }
    void Type(const std::wstring& text) {
        for (wchar_t ch : text)
            Char(ch);
    }
    // Runs what the last delivery posted (a translated key's character) the modal loop's way.
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) {
            if (!CDialog::WalkPreTranslate(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    void Select(int anchor, int caret) {
        Key(VK_HOME);
        for (int i = 0; i < anchor; ++i)
            Key(VK_RIGHT);
        for (int i = anchor; i < caret; ++i)
            Key(VK_RIGHT, {VK_SHIFT});
        for (int i = caret; i < anchor; ++i)
            Key(VK_LEFT, {VK_SHIFT});
    }
    // A focused box holding text, caret at the end.
    CxSkinTextBox* FocusedBox(const std::wstring& text, const std::function<void(CxSkinTextBox&)>& configure = {}) {
        CxSkinTextBox* made = MakeBox(configure);
        made->SetText(text, TRUE);
        ClickBox();
        Key(VK_END);
        listener.Clear();
        return made;
    }

    SystemState system; // outlives the boxes, which stop their timers through it
    TextBoxListener listener;
    DialogLog log;
    TextBoxDialog dialog;
    HWND hwnd = nullptr;
    Probe* other = nullptr;
};

using Events = std::vector<Event>;

TEST_F(TextBoxTest, IsRecognisedByTheDialogUnderItsClassName) {
    CxSkinTextBox* box = MakeBox();
    EXPECT_STREQ(box->GetClassName(), L"CxSkinTextBox");
    EXPECT_TRUE(xSkinIsKindOfName(box, L"CxSkinCtrl"));
    EXPECT_EQ(box->GetTextBoxListener(), static_cast<IxSkinTextBoxListener*>(&listener));
    const RECT text = box->GetTextRect();
    EXPECT_EQ(text.left, 3);
    EXPECT_EQ(text.top, 3);
    EXPECT_EQ(text.right, 137);
    EXPECT_EQ(text.bottom, 21);
}

TEST_F(TextBoxTest, TypedCharactersGoThroughTheDialogFilter) {
    CxSkinTextBox* box = MakeBox();
    ClickBox();
    ASSERT_EQ(dialog.GetFocusLayer(), box);
    EXPECT_FALSE(Char(L'a')); // eaten by the box
    Type(L"bc d");
    EXPECT_EQ(box->GetText(), L"abc d");
    EXPECT_EQ(box->GetCaret(), 5);
    EXPECT_EQ(box->GetAnchor(), 5);

    // Control characters other than the editing ones are eaten and never become text.
    for (wchar_t ch : {wchar_t(0x02), wchar_t(0x1B), wchar_t(0x1F), wchar_t(0x7F)})
        EXPECT_FALSE(Char(ch)) << int(ch);
    EXPECT_EQ(box->GetText(), L"abc d");

    // A key the box does not handle goes on to the window; its translated character comes back through
    // the filter and is typed.
    EXPECT_TRUE(Key('X'));
    Pump();
    EXPECT_EQ(box->GetText(), L"abc dx");

    // Without the focus the box hears nothing.
    ClickElsewhere();
    EXPECT_TRUE(Char(L'z'));
    EXPECT_EQ(box->GetText(), L"abc dx");
}

TEST_F(TextBoxTest, InputFiltersAndMaxLength) {
    const struct {
        const wchar_t* label;
        BOOL numberOnly, natural;
        int maxLength;
        std::wstring typed, expected;
    } cases[] = {
        {L"number-only", TRUE, FALSE, 100, L"-1.5e+2", L"-1.52"}, {L"natural", FALSE, TRUE, 100, L"-12.3a4", L"1234"},
        {L"max length", FALSE, FALSE, 3, L"abcdef", L"abc"},      {L"zero length", FALSE, FALSE, 0, L"abc", L""},
        {L"plain", FALSE, FALSE, 100, L"x'\\\"", L"x'\\\""}, // typed quotes are fine; only pastes refuse them
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = MakeBox([&](CxSkinTextBox& b) {
            b.SetNumberOnly(test.numberOnly);
            b.SetNatural(test.natural);
            b.SetMaxLength(test.maxLength);
        });
        ClickBox();
        Type(test.typed);
        EXPECT_EQ(box->GetText(), test.expected) << test.label;
        ClickElsewhere();
        delete box;
    }
}

TEST_F(TextBoxTest, AFullBoxRefusesTypingOverASelection) {
    // The room is measured before the selection would be replaced.
    CxSkinTextBox* box = FocusedBox(L"123", [](CxSkinTextBox& b) { b.SetMaxLength(3); });
    Select(1, 2);
    ASSERT_TRUE(box->HasSelection());
    Type(L"9");
    EXPECT_EQ(box->GetText(), L"123");
    EXPECT_TRUE(box->HasSelection());
}

TEST_F(TextBoxTest, SetTextFiltersButIgnoresTheMaxLength) {
    const struct {
        BOOL numberOnly, natural;
        std::wstring text;
        bool taken;
    } cases[] = {
        {TRUE, FALSE, L"-1.5", true}, {TRUE, FALSE, L"1e5", false},   {FALSE, TRUE, L"15", true},
        {FALSE, TRUE, L"1.5", false}, {FALSE, FALSE, L"12345", true}, // beyond max length 3
        {FALSE, FALSE, L"", true},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = MakeBox([&](CxSkinTextBox& b) {
            b.SetNumberOnly(test.numberOnly);
            b.SetNatural(test.natural);
            b.SetMaxLength(3);
        });
        box->SetText(L"7", FALSE);
        box->SetText(test.text, TRUE);
        EXPECT_EQ(box->GetText(), test.taken ? test.text : L"7") << test.text;
        EXPECT_EQ(box->GetCaret(), 0);
        delete box;
    }
}

TEST_F(TextBoxTest, TheBufferHoldsAtMost65534Characters) {
    CxSkinTextBox* box = MakeBox([](CxSkinTextBox& b) { b.SetMaxLength(100000); });
    box->SetText(std::wstring(65534, L'a'), FALSE);
    EXPECT_EQ(box->GetText(), L"");
    box->SetText(std::wstring(65533, L'a'), FALSE);
    ASSERT_EQ(box->GetText().size(), 65533u);
    ClickBox();
    Key(VK_END);
    Type(L"bc");
    EXPECT_EQ(box->GetText().size(), 65534u);
    EXPECT_EQ(box->GetText().back(), L'b');
    EXPECT_EQ(box->GetCaret(), 65534);
}

TEST_F(TextBoxTest, CaretAndSelectionKeys) {
    const struct {
        const wchar_t* label;
        std::vector<std::pair<UINT, std::vector<int>>> keys;
        int caret, anchor;
    } cases[] = {
        {L"home", {{VK_HOME, {}}}, 0, 0},
        {L"left", {{VK_LEFT, {}}}, 4, 4},
        {L"left at start", {{VK_HOME, {}}, {VK_LEFT, {}}}, 0, 0},
        {L"right at end", {{VK_RIGHT, {}}}, 5, 5},
        {L"ctrl left", {{VK_LEFT, {VK_CONTROL}}}, 0, 0},
        {L"ctrl right", {{VK_HOME, {}}, {VK_RIGHT, {VK_CONTROL}}}, 5, 5},
        {L"shift left", {{VK_LEFT, {VK_SHIFT}}, {VK_LEFT, {VK_SHIFT}}}, 3, 5},
        {L"shift home", {{VK_LEFT, {}}, {VK_HOME, {VK_SHIFT}}}, 0, 4},
        {L"shift end", {{VK_HOME, {}}, {VK_RIGHT, {}}, {VK_END, {VK_SHIFT}}}, 5, 1},
        {L"ctrl shift left", {{VK_LEFT, {VK_CONTROL, VK_SHIFT}}}, 0, 5},
        {L"up and down do nothing", {{VK_LEFT, {}}, {VK_UP, {}}, {VK_DOWN, {}}}, 4, 4},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = FocusedBox(L"hello");
        for (const auto& [vk, held] : test.keys)
            EXPECT_FALSE(Key(vk, held)) << test.label; // every one of these is eaten
        EXPECT_EQ(box->GetCaret(), test.caret) << test.label;
        EXPECT_EQ(box->GetAnchor(), test.anchor) << test.label;
        EXPECT_EQ(box->GetText(), L"hello") << test.label;
        ClickElsewhere();
        delete box;
    }
}

TEST_F(TextBoxTest, DeleteAndBackspace) {
    const struct {
        const wchar_t* label;
        int anchor, caret;
        bool backspace;
        std::wstring expected;
        int caretAfter;
    } cases[] = {
        {L"delete at caret", 1, 1, false, L"hllo", 1},    {L"delete at end", 5, 5, false, L"hello", 5},
        {L"delete selection", 1, 3, false, L"hlo", 1},    {L"backspace", 2, 2, true, L"hllo", 1},
        {L"backspace at start", 0, 0, true, L"hello", 0}, {L"backspace selection", 4, 1, true, L"ho", 1},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = FocusedBox(L"hello");
        Select(test.anchor, test.caret);
        if (test.backspace)
            EXPECT_FALSE(Char(L'\b'));
        else
            EXPECT_FALSE(Key(VK_DELETE));
        EXPECT_EQ(box->GetText(), test.expected) << test.label;
        EXPECT_EQ(box->GetCaret(), test.caretAfter) << test.label;
        EXPECT_EQ(box->GetAnchor(), test.caretAfter) << test.label;
        ClickElsewhere();
        delete box;
    }
}

TEST_F(TextBoxTest, MousePlacesTheCaretAndSelects) {
    CxSkinTextBox* box = MakeBox([](CxSkinTextBox& b) { b.SetTextAlign(0); });
    box->SetText(L"abcdef", FALSE);
    const int y = kBoxRect.top + 12;
    // Far left and far right of the text.
    Click(kBoxRect.left + 1, y);
    EXPECT_EQ(box->GetCaret(), 0);
    Click(kBoxRect.right - 2, y);
    EXPECT_EQ(box->GetCaret(), 6);

    // A press on the right half of a character puts the caret behind it; the anchor stays while dragging.
    const float cX = box->GetTextRect().left + 0.0f; // left edge of the text
    box->SetCaretPos(2);
    const float leftOfC = box->GetCaretX();
    box->SetCaretPos(3);
    const float rightOfC = box->GetCaretX();
    ASSERT_GT(rightOfC, leftOfC);
    ASSERT_GE(leftOfC, cX);
    const int trailingHalf = kBoxRect.left + static_cast<int>(rightOfC - (rightOfC - leftOfC) / 4);
    Mouse(WM_LBUTTONDOWN, trailingHalf, y);
    EXPECT_EQ(box->GetCaret(), 3);
    EXPECT_EQ(box->GetAnchor(), 3);
    Mouse(WM_MOUSEMOVE, kBoxRect.left + 1, y);
    EXPECT_EQ(box->GetCaret(), 0);
    EXPECT_EQ(box->GetAnchor(), 3);
    Mouse(WM_LBUTTONUP, kBoxRect.left + 1, y);
    Mouse(WM_MOUSEMOVE, kBoxRect.right - 2, y); // no longer selecting
    EXPECT_EQ(box->GetCaret(), 0);

    Mouse(WM_LBUTTONDBLCLK, kBoxRect.left + 10, y);
    EXPECT_EQ(box->GetAnchor(), 0);
    EXPECT_EQ(box->GetCaret(), 6);
}

TEST_F(TextBoxTest, ALongTextScrollsToKeepTheCaretInView) {
    CxSkinTextBox* box = FocusedBox(std::wstring(200, L'w'));
    const RECT text = box->GetTextRect();
    EXPECT_GT(box->GetFirstVisible(), 0);
    EXPECT_LE(box->GetCaretX(), text.right + 0.5f);
    EXPECT_GE(box->GetCaretX(), text.left);
    Key(VK_HOME);
    Paint(box);
    EXPECT_EQ(box->GetFirstVisible(), 0);
    EXPECT_FLOAT_EQ(box->GetCaretX(), static_cast<float>(text.left));
    // A click at the right edge lands on a character in view, not at the end of the text.
    Click(kBoxRect.right - 4, kBoxRect.top + 12);
    EXPECT_GT(box->GetCaret(), 0);
    EXPECT_LT(box->GetCaret(), 200);
}

TEST_F(TextBoxTest, ClipboardCopyCutAndPaste) {
    CxSkinTextBox* box = FocusedBox(L"hello");
    Select(1, 4);
    ASSERT_FALSE(Char(0x03)); // Ctrl+C
    std::wstring clip;
    ASSERT_TRUE(GetClipboardText(&clip)) << "clipboard unavailable";
    EXPECT_EQ(clip, L"ell");
    EXPECT_TRUE(box->CanPaste());

    Char(0x18); // Ctrl+X
    EXPECT_EQ(box->GetText(), L"ho");
    ASSERT_TRUE(GetClipboardText(&clip));
    EXPECT_EQ(clip, L"ell");
    EXPECT_EQ(box->GetCaret(), 1);

    Key(VK_END);
    Char(0x16); // Ctrl+V
    EXPECT_EQ(box->GetText(), L"hoell");
    EXPECT_EQ(box->GetCaret(), 5);

    // Shift+Insert pastes too and Ctrl+Insert copies; both keys then go on to the window.
    Select(0, 2);
    EXPECT_TRUE(Key(VK_INSERT, {VK_CONTROL}));
    ASSERT_TRUE(GetClipboardText(&clip));
    EXPECT_EQ(clip, L"ho");
    Key(VK_END);
    EXPECT_TRUE(Key(VK_INSERT, {VK_SHIFT}));
    EXPECT_EQ(box->GetText(), L"hoellho");
}

TEST_F(TextBoxTest, PastesTheFiltersRefuseChangeNothing) {
    const struct {
        std::wstring clip;
        BOOL numberOnly;
        int maxLength;
        bool taken;
    } cases[] = {
        {L"it's", FALSE, 100, false},   {L"a\\b", FALSE, 100, false},
        {L"a\r\nb", FALSE, 100, false}, {L"tab\there", FALSE, 100, false},
        {L"12", TRUE, 100, true},       {L"1x", TRUE, 100, false},
        {L"45", FALSE, 4, false}, // 3 + 2 > 4 even though the selected character would go
        {L"4", FALSE, 4, true},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = FocusedBox(L"123", [&](CxSkinTextBox& b) {
            b.SetNumberOnly(test.numberOnly);
            b.SetMaxLength(test.maxLength);
        });
        ASSERT_TRUE(SetClipboardText(hwnd, test.clip)) << "clipboard unavailable";
        Select(1, 2);
        Char(0x16);
        EXPECT_EQ(box->GetText(), test.taken ? L"1" + test.clip + L"3" : L"123") << test.clip;
        ClickElsewhere();
        delete box;
    }
}

TEST_F(TextBoxTest, PasteReadsAnUnterminatedClipboardBlockNoFurtherThanItsEnd) {
    CxSkinTextBox* box = FocusedBox(L"");
    ASSERT_TRUE(SetUnterminatedClipboardText(hwnd, std::wstring(8, L'q'))) << "clipboard unavailable";
    Char(0x16);
    // The system may terminate the block in its last character or round it up; nothing beyond its end is
    // ever read as text.
    const std::wstring text = box->GetText();
    EXPECT_GE(text.size(), 7u);
    EXPECT_LE(text.size(), 16u);
    EXPECT_EQ(text.find_first_not_of(L'q'), std::wstring::npos) << text.size();
}

TEST_F(TextBoxTest, ReadOnlyBoxesEatKeysAndIgnoreMouseAndMenus) {
    CxSkinTextBox* box = MakeBox([](CxSkinTextBox& b) {
        EXPECT_TRUE(b.SetReadOnly(TRUE));
        b.SetNumberOnly(FALSE); // a later number setting brings no caret back to a read-only box
    });
    box->SetText(L"fixed", FALSE);
    ClickBox();
    EXPECT_NE(dialog.GetFocusLayer(), box);
    Mouse(WM_RBUTTONDOWN, kBoxRect.left + 5, kBoxRect.top + 5);
    Mouse(WM_RBUTTONUP, kBoxRect.left + 5, kBoxRect.top + 5);
    EXPECT_TRUE(listener.Of(L"menu").empty());

    box->SetFocus(); // a handler may still give it the focus
    ASSERT_EQ(dialog.GetFocusLayer(), box);
    EXPECT_TRUE(system.running.empty()); // no caret, no blink
    EXPECT_FALSE(Char(L'x'));
    EXPECT_FALSE(Key(VK_DELETE));
    EXPECT_FALSE(Key(VK_APPS));
    EXPECT_FALSE(Char(0x16));
    MSG altF4{hwnd, WM_SYSKEYDOWN, VK_F4, 0x20000001, 0, {}};
    EXPECT_FALSE(box->PreTranslateMessage(&altF4)); // Alt+F4 still reaches the window system
    EXPECT_EQ(box->GetText(), L"fixed");
    EXPECT_TRUE(listener.Of(L"menu").empty());
    EXPECT_EQ(box->ExecuteCommand(kTextBoxDelete), 0);
    EXPECT_EQ(box->GetText(), L"fixed");
}

TEST_F(TextBoxTest, EnterCommitsAndANaturalBoxDropsLeadingZeros) {
    const struct {
        BOOL natural;
        std::wstring text, committed;
    } cases[] = {
        {TRUE, L"007", L"7"}, {TRUE, L"0", L"0"}, {TRUE, L"00", L"0"}, {TRUE, L"100", L"100"}, {FALSE, L"007", L"007"},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = FocusedBox(test.text, [&](CxSkinTextBox& b) { b.SetNatural(test.natural); });
        EXPECT_FALSE(Key(VK_RETURN)); // the box takes Enter; the dialog never closes on it
        EXPECT_EQ(listener.Events(), (Events{{L"commit", L"Value", test.committed, 0}})) << test.text;
        EXPECT_EQ(box->GetText(), test.text);
        listener.Clear();
        Char(L'\r'); // a carriage return character commits the same way
        EXPECT_EQ(listener.Of(L"commit").size(), 1u);
        ClickElsewhere();
        delete box;
        listener.Clear();
    }
    EXPECT_TRUE(dialog.IsWindowVisible());
}

TEST_F(TextBoxTest, LosingTheFocusReportsTheFinalText) {
    CxSkinTextBox* box = FocusedBox(L"ab");
    Type(L"c");
    Key(VK_LEFT, {VK_SHIFT});
    ClickElsewhere();
    EXPECT_EQ(listener.Events(), (Events{{L"changed", L"Value", L"abc", 0}}));
    EXPECT_FALSE(box->IsFocused());
    EXPECT_EQ(box->GetCaret(), 0);
    EXPECT_EQ(box->GetAnchor(), 0);
    EXPECT_TRUE(system.running.empty());

    // Deactivating the window takes the focus too.
    ClickBox();
    listener.Clear();
    dialog.ResetMouseState();
    EXPECT_EQ(listener.Events(), (Events{{L"changed", L"Value", L"abc", 0}}));

    // An explicit kill gives the focus up silently and leaves another layer's focus alone.
    ClickBox();
    listener.Clear();
    box->KillFocus();
    EXPECT_EQ(dialog.GetFocusLayer(), nullptr);
    EXPECT_FALSE(box->IsFocused());
    EXPECT_TRUE(listener.Events().empty());
    ClickElsewhere();
    box->KillFocus();
    EXPECT_EQ(dialog.GetFocusLayer(), other);
}

TEST_F(TextBoxTest, HintShowsWhileTheBoxHoldsNoTextOfItsOwn) {
    CxSkinTextBox* box = MakeBox([](CxSkinTextBox& b) { b.SetInputHintText(L"Name"); });
    EXPECT_EQ(box->GetText(), L"Name");
    EXPECT_EQ(box->GetHintStyle(), 1);
    EXPECT_EQ(box->HasUserText(), 0);

    ClickBox();
    EXPECT_EQ(box->GetText(), L"");
    EXPECT_EQ(box->GetHintStyle(), 0);
    Type(L"Bo");
    EXPECT_EQ(box->HasUserText(), 1);
    ClickElsewhere();
    EXPECT_EQ(box->GetText(), L"Bo");

    ClickBox();
    Char(0x01);
    Char(L'\b');
    ClickElsewhere();
    EXPECT_EQ(box->GetText(), L"Name");
    EXPECT_EQ(box->GetHintStyle(), 1);
    EXPECT_EQ(box->HasUserText(), 0);
    EXPECT_EQ(listener.Of(L"changed").back().text, L"Name");

    // The hint is the box's own text, so a number-only box shows a word as its hint too.
    CxSkinTextBox* number = MakeBox(
        [](CxSkinTextBox& b) {
            b.SetNumberOnly(TRUE);
            b.SetInputHintText(L"dB");
        },
        {20, 60, 160, 84});
    EXPECT_EQ(number->GetText(), L"dB");
}

TEST_F(TextBoxTest, ClearOnFocusEmptiesOnAClickButNotOnACommand) {
    CxSkinTextBox* box = MakeBox([](CxSkinTextBox& b) { b.SetClearText(TRUE); });
    box->SetText(L"old", FALSE);
    EXPECT_EQ(box->ExecuteCommand(kTextBoxSelectAll), 1);
    EXPECT_TRUE(box->IsFocused());
    EXPECT_EQ(box->GetText(), L"old");
    ClickBox(); // already focused: the text stays
    EXPECT_EQ(box->GetText(), L"old");
    ClickElsewhere();
    ClickBox();
    EXPECT_EQ(box->GetText(), L"");
}

TEST_F(TextBoxTest, ContextMenuRequestsCarryTheirPoint) {
    CxSkinTextBox* box = MakeBox([](CxSkinTextBox& b) { b.SetInputHintText(L"Name"); });
    Mouse(WM_RBUTTONDOWN, kBoxRect.left + 30, kBoxRect.top + 7);
    EXPECT_EQ(dialog.GetFocusLayer(), box);
    Mouse(WM_RBUTTONUP, kBoxRect.left + 30, kBoxRect.top + 7);
    EXPECT_EQ(listener.Of(L"menu"), (Events{{L"menu", L"Value", L"", 0}}));
    POINT point{};
    box->GetContextMenuPoint(&point);
    EXPECT_EQ(point.x, 30);
    EXPECT_EQ(point.y, 7);
    EXPECT_EQ(box->GetText(), L"");

    listener.Clear();
    EXPECT_FALSE(Key(VK_APPS));
    EXPECT_EQ(listener.Of(L"menu").size(), 1u);
    box->GetContextMenuPoint(&point);
    EXPECT_EQ(point.x, 70);
    EXPECT_EQ(point.y, 12);
}

TEST_F(TextBoxTest, Commands) {
    const struct {
        const wchar_t* name;
        int anchor, caret;
        std::wstring clip;
        int result;
        std::wstring text;
    } cases[] = {
        {kTextBoxCut, 0, 2, L"", 1, L"llo"},         {kTextBoxCut, 2, 2, L"", 0, L"hello"},
        {kTextBoxCopy, 1, 3, L"", 1, L"hello"},      {kTextBoxCopy, 3, 3, L"", 0, L"hello"},
        {kTextBoxDelete, 4, 1, L"", 1, L"ho"},       {kTextBoxDelete, 1, 1, L"", 0, L"hello"},
        {kTextBoxPaste, 5, 5, L"!", 1, L"hello!"},   {kTextBoxPaste, 5, 5, L"'", 0, L"hello"},
        {kTextBoxSelectAll, 2, 2, L"", 1, L"hello"}, {L"TextBox_Undo", 1, 2, L"", 0, L"hello"},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = FocusedBox(L"hello");
        Select(test.anchor, test.caret);
        if (!test.clip.empty()) {
            ASSERT_TRUE(SetClipboardText(hwnd, test.clip)) << "clipboard unavailable";
        }
        box->KillFocus(); // the menu took the focus, as the handler does it
        EXPECT_EQ(box->ExecuteCommand(test.name), test.result) << test.name;
        EXPECT_EQ(box->GetText(), test.text) << test.name;
        EXPECT_TRUE(box->IsFocused()) << test.name;
        EXPECT_EQ(dialog.GetFocusLayer(), box);
        ClickElsewhere();
        delete box;
    }
}

TEST_F(TextBoxTest, InputMethodResultsAreBoundedAndFiltered) {
    auto bytes = [](const std::wstring& text) {
        std::vector<BYTE> data(text.size() * sizeof(wchar_t));
        std::memcpy(data.data(), text.data(), data.size());
        return data;
    };
    const struct {
        const wchar_t* label;
        std::wstring composed;
        LONG reported; // 0: the composed text's size
        std::wstring initial;
        BOOL numberOnly;
        int maxLength;
        std::wstring expected;
    } cases[] = {
        {L"inserted at the caret", L"\x65E5\x672C", 0, L"abcd", FALSE, 100,
         L"ab\x65E5\x672C"
         L"cd"},
        {L"cut to the room left", L"xyz", 0, L"abcd", FALSE, 6, L"abxycd"},
        {L"no room", L"xyz", 0, L"abcd", FALSE, 4, L"abcd"},
        {L"refused by the filter", L"3a", 0, L"1245", TRUE, 100, L"1245"},
        {L"taken by the filter", L"-3", 0, L"1245", TRUE, 100, L"12-345"},
        {L"odd byte count", L"xyz", 5, L"abcd", FALSE, 100, L"abxycd"},
        {L"error", L"xyz", -1, L"abcd", FALSE, 100, L"abcd"},
        // An input method that reports more than anyone asked for: at most 128 characters are read.
        {L"oversized report", std::wstring(300, L'k'), 100000, L"abcd", FALSE, 1000,
         L"ab" + std::wstring(128, L'k') + L"cd"},
        {L"pair not split", L"x\xD83D\xDE00", 0, L"abcd", FALSE, 6, L"abxcd"},
    };
    for (const auto& test : cases) {
        CxSkinTextBox* box = FocusedBox(test.initial, [&](CxSkinTextBox& b) {
            b.SetNumberOnly(test.numberOnly);
            b.SetMaxLength(test.maxLength);
        });
        Select(2, 2);
        system.composition = bytes(test.composed);
        system.reported = test.reported ? test.reported : static_cast<LONG>(system.composition.size());
        Deliver(hwnd, WM_IME_STARTCOMPOSITION);
        EXPECT_TRUE(Send(WM_IME_COMPOSITION, 0, GCS_COMPSTR)); // still composing: passed on
        EXPECT_FALSE(Send(WM_IME_COMPOSITION, 0, GCS_RESULTSTR)) << test.label;
        EXPECT_EQ(box->GetText(), test.expected) << test.label;
        EXPECT_EQ(box->GetCaret(), box->GetAnchor()) << test.label;
        ClickElsewhere();
        delete box;
    }
}

TEST_F(TextBoxTest, BlinkTimerRunsOnlyWhileFocusedAndTicksFromItsOwnThread) {
    CxSkinTextBox* box = MakeBox();
    EXPECT_TRUE(system.running.empty());
    ClickBox();
    ASSERT_EQ(system.running.size(), 1u);
    const UINT id = *system.running.begin();

    std::thread timer([&] {
        box->OnBlinkTimer(id);
        box->OnBlinkTimer(id + 1000); // a stale id from a stopped timer
    });
    timer.join();
    const Events ticks = listener.Of(L"tick");
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].name, L"Value");
    EXPECT_NE(ticks[0].thread, GetCurrentThreadId());

    // Each input event stops and restarts the timer; losing the focus stops it for good.
    Type(L"a");
    EXPECT_EQ(system.running.size(), 1u);
    const UINT restarted = *system.running.begin();
    ClickElsewhere();
    EXPECT_TRUE(system.running.empty());
    listener.Clear();
    std::thread late([&] { box->OnBlinkTimer(restarted); });
    late.join();
    EXPECT_TRUE(listener.Of(L"tick").empty());
}

TEST_F(TextBoxTest, PaintingFlipsTheCaretOncePerBlinkInterval) {
    CxSkinTextBox* box = MakeBox();
    ClickBox();
    ASSERT_TRUE(box->IsCaretVisible());
    const double interval = box->GetBlinkTime() / 1000.0;
    Paint(box);
    EXPECT_TRUE(box->IsCaretVisible()); // too early
    system.now += interval;
    Paint(box);
    EXPECT_FALSE(box->IsCaretVisible());
    system.now += interval / 2;
    Paint(box);
    EXPECT_FALSE(box->IsCaretVisible());
    system.now += interval / 2 + 0.001;
    Paint(box);
    EXPECT_TRUE(box->IsCaretVisible());
    // Typing shows the caret at once.
    system.now += interval;
    Paint(box);
    ASSERT_FALSE(box->IsCaretVisible());
    Type(L"a");
    EXPECT_TRUE(box->IsCaretVisible());
}

TEST_F(TextBoxTest, DrawsSelectionAndCaretIntoTheBackBuffer) {
    CxSkinTextBox* box = FocusedBox(L"mmmm", [](CxSkinTextBox& b) {
        b.SetCaretColor(kCaretRed);
        b.SetSelectedBackColor(kSelectionGreen);
        b.SetTextAlign(0);
    });
    const int rowY = kBoxRect.top + box->GetTextRect().top + 1; // above the glyphs
    auto redAround = [&](float x) {
        for (int dx = -1; dx <= 1; ++dx) {
            const uint32_t pixel = dialog.GetPixel(kBoxRect.left + static_cast<int>(x) + dx, kBoxRect.top + 12);
            if (Red(pixel) > 160 && Green(pixel) < 100)
                return true;
        }
        return false;
    };
    Paint(box);
    EXPECT_TRUE(redAround(box->GetCaretX()));

    system.now += box->GetBlinkTime() / 1000.0;
    Paint(box);
    ASSERT_FALSE(box->IsCaretVisible());
    EXPECT_FALSE(redAround(box->GetCaretX()));

    Select(1, 3);
    Paint(box);
    float left = 0, right = 0;
    box->GetSelectionSpan(&left, &right);
    ASSERT_GT(right - left, 4.0f);
    const uint32_t inside = dialog.GetPixel(kBoxRect.left + static_cast<int>((left + right) / 2), rowY);
    EXPECT_GT(Green(inside), 200);
    EXPECT_LT(Red(inside), 60);
    const uint32_t outside = dialog.GetPixel(kBoxRect.left + static_cast<int>(right) + 6, rowY);
    EXPECT_LT(Green(outside), 160); // the dialog's grey
}

// The real multimedia timer: ticks arrive on another thread while the box has the focus.
TEST_F(TextBoxTest, TheSystemBlinkTimerTicksOffTheInterfaceThread) {
    auto* box = new CxSkinTextBox;
    box->SetParent(&dialog);
    box->SetName(L"Real");
    box->SetLeft(20);
    box->SetTop(60);
    box->SetWidth(100);
    box->SetHeight(24);
    ASSERT_TRUE(box->Create());
    if (box->GetBlinkTime() == 0 || box->GetBlinkTime() == INFINITE)
        GTEST_SKIP() << "caret blinking is switched off";
    box->SetFocus();
    ASSERT_TRUE(box->IsBlinkTimerRunning());
    const DWORD deadline = GetTickCount() + 4 * box->GetBlinkTime() + 2000;
    while (listener.Of(L"tick").empty() && GetTickCount() < deadline)
        Sleep(20);
    const Events ticks = listener.Of(L"tick");
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks[0].name, L"Real");
    EXPECT_NE(ticks[0].thread, GetCurrentThreadId());
    box->KillFocus();
    EXPECT_FALSE(box->IsBlinkTimerRunning());
    listener.Clear();
    Sleep(box->GetBlinkTime() + 100);
    EXPECT_TRUE(listener.Of(L"tick").empty());
    delete box; // stops nothing twice
}

} // namespace
