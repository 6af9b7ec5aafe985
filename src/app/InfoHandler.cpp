#include "app/InfoHandler.h"

#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/HandlerServices.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "framework/Dialog.h"
#include "skin/IxSkinPanel.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

// The versions the driver reports, by the control that shows them.
struct VersionRow {
    const wchar_t* control;
    const wchar_t* property;
};
constexpr VersionRow kVersionRows[] = {
    {L"AudioCodec", L"GetAudioCodecName"},
    {L"DriverVer", L"GetDriverVer"},
    {L"FirmwareVer", L"GetFirmwareVer"},
    {L"DirectXVer", L"GetDirectXVer"},
};
constexpr wchar_t kControlPanelVersion[] = L"1.0.0.0";
constexpr uint32_t kVersionBytes = 512;

struct LogoRow {
    const wchar_t* control;
    const wchar_t* suffix; // after the endpoint's name; null: the endpoint's name alone
    bool capture;
};
constexpr LogoRow kLogos[CInfoHandler::kLogoCount] = {
    {L"LogoLiving", nullptr, false},
    {L"LogoLivingEM", L"EM", false},
    {L"LogoLivingEQ", L"EQ", false},
    {L"LogoLivingSRII", L"Subroute", false},
    {L"LogoLivingSVN", L"SVN", false},
    {L"LogoLivingVSS", L"Virtual", false},
    {L"LogoChorvex", L"Karaoke", false},
    {L"LogoPitchShifting", L"PitchShifter", false},
    {L"LogoVocalFading", L"VocalFading", false},
    {L"LogoSingingEcho", L"SingingEcho", true},
    {L"LogoSonic", nullptr, false},
    {L"LogoAudioBrilliant", L"VimoAudioBrilliant", false},
    {L"LogoDynamicBass", L"VimoDynamicBass", false},
    {L"LogoSmartVolume", L"VimoSmartVolume", false},
    {L"LogoVoiceClarity", L"VimoVoiceClarity", false},
    {L"LogoQuietra", nullptr, true},
    {L"LogoQuietraNR", L"NoiseReduction", true},
    {L"LogoQuietraAEC", L"AEC", true},
    {L"LogoQuietraBF", L"BeamForming", true},
    {L"LogoQuietraENC", L"ENC", true},
    {L"LogoSurround", nullptr, false},
    {L"LogoSurroundHeadphone", L"VimoSurroundHeadPhone", false},
    {L"LogoSurroundSpeaker", L"VimoSurroundSpeakers", false},
    {L"LogoSpaceline", L"Spaceline", false},
    {L"LogoOmni", L"EX", false},
    {L"LogoPro", L"ASIO", false},
    {L"LogoMagicVoice", L"MagicVoice", true},
};
// The ASIO logo asks the default render device, not a feature of an endpoint.
constexpr wchar_t kAsioSuffix[] = L"ASIO";
constexpr wchar_t kCaptureEndpoint[] = L"MicIn";

// A family logo stands for its members when all of them show (the noise reducer is no member of its own).
struct LogoFamily {
    int logo;
    int first;
    int last;
};
constexpr LogoFamily kFamilies[] = {{0, 1, 5}, {6, 7, 9}, {10, 11, 14}, {15, 17, 19}, {20, 21, 23}};

constexpr int kLogosPerLine = 5;
constexpr int kMaxPlacedLogos = 15;
constexpr int kLogoGap = 2;

// Each row of the component table: the templates whose clones make the further rows.
constexpr const wchar_t* kTemplates[] = {L"item", L"itemVer", L"itemDate"};
constexpr wchar_t kDetailList[] = L"PanelDetailList";
constexpr int kListViewSlack = 80;

constexpr size_t kLineBytes = 255;
constexpr std::string_view kRecordMarker = "<Module Name=\"";
constexpr std::string_view kVersionMarker = "Version=\"";
constexpr std::string_view kDateMarker = "ModifiedDate=\"";

std::wstring FromCodePage(std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int chars = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(chars, 0)), L'\0');
    if (chars > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), chars);
    return wide;
}

// The quoted value after the marker, searched from `from`; `from` moves past its closing quote. False when
// the marker or the closing quote is missing.
bool TakeQuoted(std::string_view line, std::string_view marker, size_t& from, std::string_view& value) {
    const size_t start = line.find(marker, from);
    if (start == std::string_view::npos)
        return false;
    const size_t begin = start + marker.size();
    const size_t end = line.find('"', begin);
    if (end == std::string_view::npos)
        return false;
    value = line.substr(begin, end - begin);
    from = end + 1;
    return true;
}

} // namespace

CInfoHandler::CInfoHandler(int main) : m_main(main) {
    m_name = main ? L"InfoHandler" : L"InfoDetailHandler";
}

const wchar_t* CInfoHandler::LogoName(int row) {
    return row >= 0 && row < kLogoCount ? kLogos[row].control : L"";
}

void CInfoHandler::Initialize() {
    if (m_main)
        InitMainDialog();
    else
        InitDetailWindow();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

// ---- Main dialog ----

void CInfoHandler::InitMainDialog() {
    IDriverInstance* driver = GetDriver();
    for (const VersionRow& row : kVersionRows) {
        CxSkinCtrl* control = FindControl(row.control);
        if (!control)
            continue;
        std::wstring text;
        if (driver && std::wstring_view(row.property) == L"GetDirectXVer") {
            // The driver object's worker fills it at start-up; reading the device for it is not needed.
            text = driver->GetDirectXVersion();
        } else if (driver) {
            wchar_t value[kVersionBytes / sizeof(wchar_t)] = {};
            if (driver->GetProperty(row.property, value, kValueText, kVersionBytes, nullptr, 0, 0, true, false) ==
                kDriverOk) {
                value[std::size(value) - 1] = L'\0';
                text = value;
            }
        }
        control->SetText(text);
    }
    if (CxSkinCtrl* version = FindControl(L"CPLVer"))
        version->SetText(kControlPanelVersion);
    if (CxSkinCtrl* legal = FindControl(L"BtnLegal")) {
        if (!driver || !driver->DefaultRenderHasFeature2())
            legal->SetVisible(FALSE, FALSE);
    }
    DrawFeatureLogos();
}

std::vector<bool> CInfoHandler::FindShownLogos() {
    std::vector<bool> shown(kLogoCount, false);
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return shown;
    std::wstring render = driver->GetControlEndpointName2();
    if (render.empty())
        render = driver->GetDefaultRenderEndpointName();
    for (int row = 0; row < kLogoCount; ++row) {
        const LogoRow& logo = kLogos[row];
        if (logo.suffix && std::wstring_view(logo.suffix) == kAsioSuffix) {
            shown[row] = driver->DefaultRenderHasFeature2() != 0;
            continue;
        }
        const std::wstring feature = (logo.capture ? kCaptureEndpoint : render) + (logo.suffix ? logo.suffix : L"");
        shown[row] = driver->IsFeatureSupported(feature) != 0;
    }
    for (const LogoFamily& family : kFamilies) {
        bool all = true;
        for (int member = family.first; member <= family.last; ++member)
            all = all && shown[member];
        if (!all)
            continue;
        shown[family.logo] = true;
        for (int member = family.first; member <= family.last; ++member)
            shown[member] = false;
    }
    return shown;
}

void CInfoHandler::DrawFeatureLogos() {
    const std::vector<bool> shown = FindShownLogos();
    const CxSkinCtrl* canvas = FindControl(L"LogoCanvas");
    const CxSkinCtrl* sample = FindControl(kLogos[0].control);
    if (!canvas || !sample)
        return;
    const int count = static_cast<int>(std::count(shown.begin(), shown.end(), true));
    const int W = canvas->GetWidth();
    const int H = canvas->GetHeight();
    const int w = sample->GetWidth();
    const int h = sample->GetHeight();
    const int step = w + kLogoGap;
    const int lines = count <= kLogosPerLine ? 1 : count <= 2 * kLogosPerLine ? 2 : 3;
    const int perLine = count <= kLogosPerLine ? count : kLogosPerLine;
    const int left = (W - step * perLine) / 2;
    int k = 0;
    for (int row = 0; row < kLogoCount && k < kMaxPlacedLogos; ++row) {
        if (!shown[row])
            continue;
        const int line = k / kLogosPerLine;
        if (CxSkinCtrl* logo = FindControl(kLogos[row].control)) {
            logo->MoveTo(left + (k % kLogosPerLine) * step, H - (lines - line) * h);
            logo->SetVisible(TRUE, FALSE);
        }
        ++k;
    }
}

// ---- Detail window ----

std::vector<std::wstring> CInfoHandler::ParseComponentVersions(std::string_view bytes) {
    std::vector<std::wstring> components;
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        std::string_view line = bytes.substr(0, newline);
        bytes = newline == std::string_view::npos ? std::string_view() : bytes.substr(newline + 1);
        // Only the head of an overlong line counts; its rest is no line of its own.
        line = line.substr(0, kLineBytes);
        if (line.size() < kRecordMarker.size())
            continue;
        size_t from = 0;
        std::string_view value;
        for (const std::string_view marker : {kRecordMarker, kVersionMarker, kDateMarker}) {
            if (!TakeQuoted(line, marker, from, value))
                break;
            components.push_back(FromCodePage(value));
        }
    }
    return components;
}

std::wstring CInfoHandler::InfoPath() const {
    if (!m_infoPath.empty())
        return m_infoPath;
    std::wstring folder = theApp.GetProgramFolder();
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Information.info";
}

void CInfoHandler::LoadComponentVersions() {
    m_components.clear();
    std::ifstream in(std::filesystem::path(InfoPath()), std::ios::binary);
    if (!in)
        return; // no file, no components
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    m_components = ParseComponentVersions(bytes);
}

void CInfoHandler::InitDetailWindow() {
    LoadComponentVersions();
    if (!BuildDetailRows()) {
        for (const wchar_t* name : kTemplates) {
            if (CxSkinCtrl* control = FindControl(name))
                control->SetVisible(FALSE, FALSE);
        }
        for (const wchar_t* arrow : {L"ArrowUp", L"ArrowDown"}) {
            if (CxSkinCtrl* control = FindControl(arrow))
                control->Enable(FALSE, FALSE);
        }
    }
}

bool CInfoHandler::BuildDetailRows() {
    CxSkinCtrl* templates[std::size(kTemplates)] = {};
    for (size_t i = 0; i < std::size(kTemplates); ++i) {
        templates[i] = FindControl(kTemplates[i]);
        if (!templates[i])
            return false;
    }
    const int rows = static_cast<int>(m_components.size() / std::size(kTemplates));
    // An empty file has no first row to show in the templates.
    if (rows == 0)
        return false;
    int rowHeight = kMinRowHeight;
    for (const CxSkinCtrl* control : templates)
        rowHeight = std::max(rowHeight, control->GetHeight());
    for (int row = 0; row < rows; ++row) {
        for (size_t i = 0; i < std::size(kTemplates); ++i) {
            const std::wstring& text = m_components[row * std::size(kTemplates) + i];
            if (row == 0) {
                templates[i]->SetText(text);
                continue;
            }
            CxSkinCtrl* clone = templates[i]->Clone();
            if (!clone)
                continue;
            RECT rect = templates[i]->GetRect();
            ::OffsetRect(&rect, 0, (rowHeight + 1) * row);
            clone->SetRect(rect, FALSE);
            clone->SetText(text);
        }
    }
    if (auto* list = dynamic_cast<IxSkinPanel*>(FindControl(kDetailList))) {
        list->SetScrollSize(std::max((rowHeight + 1) * rows - kListViewSlack, 0), TRUE);
        list->SetScrollPos(m_scrollPos, TRUE, TRUE);
    }
    EnableControl(L"ArrowUp", FALSE);
    EnableControl(L"ArrowDown", FALSE);
    return true;
}

int CInfoHandler::UpdateScrollButtons(const std::wstring& name) {
    const bool up = name == L"ArrowUp";
    if (!up && name != L"ArrowDown")
        return 1;
    const auto* list = dynamic_cast<const IxSkinPanel*>(FindControl(kDetailList));
    if (!list)
        return 0;
    const int position = list->GetScrollPos(TRUE);
    return up ? position != 0 : position < list->GetScrollSize(TRUE);
}

void CInfoHandler::ScrollList(bool forward) {
    auto* list = dynamic_cast<IxSkinPanel*>(FindControl(kDetailList));
    if (!list)
        return;
    if (forward)
        list->ScrollPageForward(TRUE);
    else
        list->ScrollPageBack(TRUE);
    m_scrollPos = list->GetScrollPos(TRUE);
    EnableControl(L"ArrowUp", TRUE);
    EnableControl(L"ArrowDown", TRUE);
}

// ---- Buttons and dialogs ----

int CInfoHandler::OnButtonClick(const std::wstring& name) {
    if (name == L"BtnUrl") {
        const CxSkinCtrl* button = FindControl(name);
        const std::wstring target = button ? button->GetTag() : std::wstring();
        if (!target.empty()) {
            if (m_open)
                m_open(target);
            else
                ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
        }
    } else if (name == L"BtnExit" || name == L"DetailWindowExit") {
        EndCancel();
    } else if (name == L"BtnClose" || name == L"DetailWindowClose") {
        EndOk();
    } else if (name == L"BtnDetail") {
        ShowDetailWindow();
    } else if (name == L"BtnLegal") {
        ShowLegalDialog();
    } else if (name == L"ArrowUp" || name == L"ArrowDown") {
        ScrollList(name == L"ArrowDown");
    }
    return 1;
}

void CInfoHandler::ShowDetailWindow() {
    RunDialog(L"DialogInfo_DetailWindow");
}

void CInfoHandler::ShowLegalDialog() {
    RunDialog(L"DialogInfo_Legal");
}

void CInfoHandler::RunDialog(const wchar_t* name) {
    const std::wstring path = CUIDialog::MarkupPathOf(Services().GetSkinFolder(), name);
    if (m_runDialog) {
        m_runDialog(path);
        return;
    }
    CUIDialog dialog(CDialog::IDD_POPUP, m_owner ? m_owner->GetHostDialog() : nullptr);
    dialog.SetMarkupPath(path);
    dialog.DoModal();
}

void CInfoHandler::EndOwnerDialog(int result) {
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (auto* dialog = dynamic_cast<CDialog*>(host))
        dialog->EndDialog(result);
}
