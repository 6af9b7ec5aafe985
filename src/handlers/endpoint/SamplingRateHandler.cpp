#include "handlers/endpoint/SamplingRateHandler.h"

#include <algorithm>
#include <iterator>

#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

const SamplingRateRow g_SamplingRateTable[kSamplingRateCount] = {
    {44100, L"Canvas44100", L"Hz44100", L"Diagram44100"},     {48000, L"Canvas48000", L"Hz48000", L"Diagram48000"},
    {88200, L"Canvas88200", L"Hz88200", L"Diagram88200"},     {96000, L"Canvas96000", L"Hz96000", L"Diagram96000"},
    {176400, L"Canvas176400", L"Hz176400", L"Diagram176400"}, {192000, L"Canvas192000", L"Hz192000", L"Diagram192000"},
    {384000, L"Canvas384000", L"Hz384000", L"Diagram384000"},
};

namespace {

constexpr wchar_t kRateKey[] = L"DevSampleRateControl";
constexpr wchar_t kDepthKey[] = L"DevBitDepthControl";
constexpr wchar_t kChannelsKey[] = L"DevChannelNumControl";
constexpr wchar_t kFormatKey[] = L"IsSupportFormat";
constexpr wchar_t kDDLKey[] = L"DolbyDigitalLiveControl";
constexpr wchar_t kDTSKey[] = L"DTSInteractiveControl";
constexpr wchar_t kDDLFeature[] = L"IsSupportDolbyDigitalLive";
constexpr wchar_t kDTSFeature[] = L"IsSupportDTSInteractive";

constexpr wchar_t kDDLRadio[] = L"DolbyDigitalLive";
constexpr wchar_t kDTSRadio[] = L"DTSInteractive";
constexpr wchar_t kDDLCanvas[] = L"CanvasDolbyDigitalLive";
constexpr wchar_t kDTSCanvas[] = L"CanvasDTSInteractive";
constexpr wchar_t kDepthArea[] = L"CanvasBitDepth";
constexpr wchar_t kDepthDiagram[] = L"DiagramBits";
constexpr wchar_t kFallbackRadio[] = L"Hz48000";
constexpr wchar_t kFallbackDiagram[] = L"Diagram48000";

struct DepthRow {
    uint16_t depth;
    const wchar_t* radio;
    const wchar_t* canvas;
    const wchar_t* diagram;
};

// The rate and the encoded-output switches are unsigned 32-bit numbers, the depth a 16-bit one.
constexpr uint32_t kRateSize = sizeof(uint32_t);
constexpr uint32_t kDepthSize = sizeof(uint16_t);

// 16 first: it is the depth every unknown value falls back to.
constexpr DepthRow kDepthTable[] = {
    {16, L"BitDepth16", L"Canvas16", L"Diagram16Bits"},
    {24, L"BitDepth24", L"Canvas24", L"Diagram24Bits"},
    {32, L"BitDepth32", L"Canvas32", L"Diagram32Bits"},
};

// The markup places the rate choices in two columns; the slots are filled in reading order, which is this
// order of the canvases, not the table's.
constexpr int kPositionOrder[kSamplingRateCount] = {44100, 96000, 48000, 176400, 88200, 192000, 384000};

const SamplingRateRow* FindRate(int rateHz) {
    const auto* end = std::end(g_SamplingRateTable);
    const auto* row = std::find_if(std::begin(g_SamplingRateTable), end,
                                   [&](const SamplingRateRow& r) { return r.rateHz == rateHz; });
    return row == end ? nullptr : row;
}

const DepthRow& FindDepth(uint16_t depth) {
    for (const DepthRow& row : kDepthTable)
        if (row.depth == depth)
            return row;
    return kDepthTable[0];
}

// The format query's argument block: little-endian {channels (16 bits), depth (16 bits), rate (32 bits)}.
struct FormatArguments {
    uint8_t bytes[8];
};

FormatArguments PackFormat(uint16_t channels, uint16_t depth, uint32_t rateHz) {
    FormatArguments block{};
    const uint32_t fields[] = {channels, depth, rateHz};
    const int widths[] = {2, 2, 4};
    int at = 0;
    for (int i = 0; i < 3; ++i)
        for (int b = 0; b < widths[i]; ++b)
            block.bytes[at++] = static_cast<uint8_t>(fields[i] >> (8 * b));
    return block;
}

} // namespace

CSamplingRateHandler::CSamplingRateHandler() {
    m_name = L"SamplingRateHandler";
}

uint32_t CSamplingRateHandler::ReadUnsigned(const wchar_t* key, uint32_t size, bool& ok) const {
    uint32_t value = 0;
    ok = uintkey::Read(GetDriver(), key, value, true, false, size);
    if (!ok)
        return 0;
    // A 2-byte read fills only the low half of the buffer; keep nothing a driver may have left above it.
    return size == 2 ? value & 0xFFFFu : value;
}

int CSamplingRateHandler::SetSampleRate(int rateHz) {
    IDriverInstance* driver = GetDriver();
    const uint32_t value = static_cast<uint32_t>(rateHz);
    return driver ? driver->SetProperty(kRateKey, &value, kValueUInt, sizeof value, nullptr, 0, 0) : kDriverNoDevice;
}

int CSamplingRateHandler::GetSampleRate() {
    bool ok = false;
    return static_cast<int>(ReadUnsigned(kRateKey, kRateSize, ok));
}

int CSamplingRateHandler::SetBitDepth(uint16_t depth) {
    IDriverInstance* driver = GetDriver();
    const int result =
        driver ? driver->SetProperty(kDepthKey, &depth, kValueUInt, sizeof depth, nullptr, 0, 0) : kDriverNoDevice;
    if (IMainHandler* main = GetMainHandler())
        main->UpdateStatusPanel(kDepthKey, 0);
    return result;
}

uint16_t CSamplingRateHandler::GetBitDepth() {
    bool ok = false;
    return static_cast<uint16_t>(ReadUnsigned(kDepthKey, kDepthSize, ok));
}

uint16_t CSamplingRateHandler::GetChannelCount() const {
    bool ok = false;
    return static_cast<uint16_t>(ReadUnsigned(kChannelsKey, kChannelCountSize, ok));
}

bool CSamplingRateHandler::IsFormatSupported(uint16_t channels, uint16_t depth, uint32_t rateHz) const {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return false;
    FormatArguments block = PackFormat(channels, depth, rateHz);
    uint32_t accepted = 0;
    return driver->GetProperty(kFormatKey, &accepted, kValueUInt, sizeof accepted, block.bytes, kValueBlock,
                               sizeof block.bytes, true, false) == kDriverOk &&
           accepted == 1;
}

int CSamplingRateHandler::IsDolbyDigitalLiveSupported() {
    IDriverInstance* driver = GetDriver();
    return driver ? driver->IsFeatureSupported(kDDLFeature) : 0;
}

int CSamplingRateHandler::IsDTSInteractiveSupported() {
    IDriverInstance* driver = GetDriver();
    return driver ? driver->IsFeatureSupported(kDTSFeature) : 0;
}

int CSamplingRateHandler::SetSwitch(const wchar_t* key, int on) {
    IDriverInstance* driver = GetDriver();
    const uint32_t value = on ? 1 : 0;
    return driver ? driver->SetProperty(key, &value, kValueUInt, sizeof value, nullptr, 0, 0) : kDriverNoDevice;
}

int CSamplingRateHandler::GetSwitch(const wchar_t* key, int supported) {
    if (!supported)
        return 0;
    bool ok = false;
    return ReadUnsigned(key, sizeof(uint32_t), ok) == 1 ? 1 : 0;
}

int CSamplingRateHandler::SetDolbyDigitalLive(int on) {
    return SetSwitch(kDDLKey, on);
}

int CSamplingRateHandler::GetDolbyDigitalLive() {
    return GetSwitch(kDDLKey, IsDolbyDigitalLiveSupported());
}

int CSamplingRateHandler::SetDTSInteractive(int on) {
    return SetSwitch(kDTSKey, on);
}

int CSamplingRateHandler::GetDTSInteractive() {
    return GetSwitch(kDTSKey, IsDTSInteractiveSupported());
}

void CSamplingRateHandler::ShowControl(const std::wstring& name, bool show) {
    if (CxSkinCtrl* control = FindControl(name))
        control->SetVisible(show ? TRUE : FALSE, TRUE);
}

void CSamplingRateHandler::SetControlEnabled(const std::wstring& name, bool enabled) {
    if (CxSkinCtrl* control = FindControl(name)) {
        control->SetEnabled(enabled ? TRUE : FALSE);
        control->Invalidate(FALSE);
    }
}

void CSamplingRateHandler::SelectRadio(const std::wstring& name) {
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(name)))
        radio->Select(FALSE);
}

void CSamplingRateHandler::SaveRatePositions() {
    if (m_positionsSaved)
        return;
    m_positionsSaved = 1;
    for (int slot = 0; slot < kSamplingRateCount; ++slot) {
        if (CxSkinCtrl* canvas = FindControl(FindRate(kPositionOrder[slot])->canvas))
            m_ratePositions[slot] = canvas->GetPos();
    }
}

void CSamplingRateHandler::ShowSupportedRates() {
    const uint16_t channels = GetChannelCount();
    const uint16_t depth = GetBitDepth();
    int nextSlot = 0;
    for (const SamplingRateRow& row : g_SamplingRateTable) {
        const bool supported = IsFormatSupported(channels, depth, static_cast<uint32_t>(row.rateHz));
        CxSkinCtrl* canvas = FindControl(row.canvas);
        if (!canvas)
            continue;
        canvas->SetEnabled(TRUE);
        if (supported) {
            const POINT at = m_ratePositions[nextSlot++];
            canvas->MoveTo(at.x, at.y);
        }
        canvas->SetVisible(supported ? TRUE : FALSE, TRUE);
    }
}

void CSamplingRateHandler::UpdateDepthCanvases(bool enabled) {
    const uint16_t channels = GetChannelCount();
    const uint32_t rate = static_cast<uint32_t>(GetSampleRate());
    bool supported[std::size(kDepthTable)] = {};
    int count = 0;
    for (size_t i = 0; i < std::size(kDepthTable); ++i) {
        supported[i] = IsFormatSupported(channels, kDepthTable[i].depth, rate);
        count += supported[i] ? 1 : 0;
    }
    // A single accepted depth is no choice: the depth area goes, heading and all. While an encoded output
    // plays, the choices stay in view, greyed, so that the way back to PCM can be seen.
    const bool choice = count >= 2;
    ShowControl(kDepthArea, choice);
    SetControlEnabled(kDepthArea, enabled);
    for (size_t i = 0; i < std::size(kDepthTable); ++i) {
        ShowControl(kDepthTable[i].canvas, supported[i] && choice);
        if (CxSkinCtrl* canvas = FindControl(kDepthTable[i].canvas))
            canvas->SetEnabled(TRUE);
    }
}

void CSamplingRateHandler::ShowRateDiagram() {
    for (const SamplingRateRow& row : g_SamplingRateTable)
        ShowControl(row.diagram, false);
    const SamplingRateRow* current = FindRate(GetSampleRate());
    ShowControl(current ? current->diagram : kFallbackDiagram, true);
}

void CSamplingRateHandler::ShowDepthDiagram() {
    const uint16_t depth = GetBitDepth();
    const DepthRow& current = FindDepth(depth);
    for (const DepthRow& row : kDepthTable)
        ShowControl(row.diagram, &row == &current);
    // The current format names its depth whenever the device reports one the page knows, choice or not.
    ShowControl(kDepthDiagram, current.depth == depth);
    if (CxSkinCtrl* diagram = FindControl(kDepthDiagram))
        diagram->SetEnabled(TRUE);
}

void CSamplingRateHandler::InitControls() {
    SaveRatePositions();
    ShowSupportedRates();

    std::wstring radio;
    bool depthEnabled = true;
    if (FindControl(kDTSCanvas)) {
        const int supported = IsDTSInteractiveSupported();
        ShowControl(kDTSCanvas, supported != 0);
        if (supported && GetDTSInteractive() == 1) {
            radio = kDTSRadio;
            depthEnabled = false;
        }
    }
    if (radio.empty() && FindControl(kDDLCanvas)) {
        const int supported = IsDolbyDigitalLiveSupported();
        ShowControl(kDDLCanvas, supported != 0);
        if (supported && GetDolbyDigitalLive() == 1) {
            radio = kDDLRadio;
            depthEnabled = false;
        }
    }
    if (radio.empty()) {
        const SamplingRateRow* row = FindRate(GetSampleRate());
        radio = row && FindControl(row->radio) ? row->radio : kFallbackRadio;
    }
    SelectRadio(radio);
    SelectRadio(FindDepth(GetBitDepth()).radio);

    UpdateDepthCanvases(depthEnabled);
    ShowRateDiagram();
    ShowDepthDiagram();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CSamplingRateHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    return uintkey::Changed(driver, kRateKey, nullptr, kRateSize) ||
                   uintkey::Changed(driver, kDepthKey, nullptr, kDepthSize)
               ? 1
               : 0;
}

void CSamplingRateHandler::ChooseEncodedOutput(bool dts) {
    if (dts) {
        SetDTSInteractive(1);
        if (GetDolbyDigitalLive())
            SetDolbyDigitalLive(0);
    } else {
        SetDolbyDigitalLive(1);
        if (GetDTSInteractive())
            SetDTSInteractive(0);
    }
}

void CSamplingRateHandler::LeaveEncodedOutputs() {
    if (GetDTSInteractive())
        SetDTSInteractive(0);
    if (GetDolbyDigitalLive())
        SetDolbyDigitalLive(0);
}

void CSamplingRateHandler::AnnounceFormat() {
    IMainHandler* main = GetMainHandler();
    if (!main)
        return;
    for (const wchar_t* key : {kRateKey, kDDLKey, kDTSKey})
        main->UpdateStatusPanel(key, 1);
}

int CSamplingRateHandler::OnClick(const std::wstring& name) {
    if (name == kDTSRadio) {
        ChooseEncodedOutput(true);
        InitControls();
    } else if (name == kDDLRadio) {
        ChooseEncodedOutput(false);
        InitControls();
    } else if (const auto* depth = std::find_if(std::begin(kDepthTable), std::end(kDepthTable),
                                                [&](const DepthRow& row) { return name == row.radio; });
               depth != std::end(kDepthTable)) {
        SetBitDepth(depth->depth);
        ShowDepthDiagram();
        UpdateDepthCanvases(true);
        if (m_owner)
            m_owner->Invalidate(FALSE);
    } else if (const auto* rate = std::find_if(std::begin(g_SamplingRateTable), std::end(g_SamplingRateTable),
                                               [&](const SamplingRateRow& row) { return name == row.radio; });
               rate != std::end(g_SamplingRateTable)) {
        // A rate is a PCM stream: choosing one leaves the encoded outputs, whatever the device does itself.
        LeaveEncodedOutputs();
        SetSampleRate(rate->rateHz);
        if (IMainHandler* main = GetMainHandler())
            main->UpdateStatusPanel(kRateKey, 1);
        InitControls();
    } else {
        return 0;
    }
    AnnounceFormat();
    return 1;
}
