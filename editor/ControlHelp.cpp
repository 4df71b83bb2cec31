#include "editor/ControlHelp.h"

#include "engine/Parameters.h"
#include "resources/Layout.h"

namespace {

struct Help {
    int tag;
    const char* name;
    const char* tooltip;
};

const char* const kGain = "Drag up or down (Shift: finer), wheel: 0.5 dB, Ctrl-click: 0 dB";
const char* const kFreq = "Click a position, or turn the wheel";
const char* const kOn = "Switches the band on or off";
const char* const kNarrow = "Narrows the band's shape";

const Help kHelp[] = {
    {kParamEqAll, "EQ all", "All filters on or off (output and SAT stay)"},
    {kParamLsr, "Channels", "Which channels are equalised: left, both or right"},
    {kParamOutput, "Output", kGain},
    {kParamSat, "SAT", "Look-ahead saturation on or off"},
    {kParamHpfFreq, "Low cut", "Drag or turn the wheel; Ctrl-click: OFF"},
    {kParamLf, "LF", kOn},
    {kParamLfFreq, "LF freq", kFreq},
    {kParamLfQ, "LF narrow", kNarrow},
    {kParamLfGain, "LF gain", kGain},
    {kParamLmf, "LMF", kOn},
    {kParamLmfFreq, "LMF freq", kFreq},
    {kParamLmQ, "LMF narrow", kNarrow},
    {kParamLmfGain, "LMF gain", kGain},
    {kParamHmf, "HMF", kOn},
    {kParamHmfFreq, "HMF freq", kFreq},
    {kParamHmQ, "HMF narrow", kNarrow},
    {kParamHmfGain, "HMF gain", kGain},
    {kParamHf, "HF", kOn},
    {kParamHfFreq, "HF freq", kFreq},
    {kParamHfQ, "HF narrow", kNarrow},
    {kParamHfGain, "HF gain", kGain},
    {layout::kTagLamp, nullptr, "Lights at full scale and holds; click to clear"},
    {layout::kTagName, nullptr, "Program name: click to rename, Enter keeps it"},
    {layout::kTagMenu, nullptr, "Choose one of the six programs"},
    {layout::kTagRocker, nullptr, "Previous or next program"},
    {layout::kTagLoadBank, nullptr, "Load a bank file (.zyb); right click: other byte order"},
    {layout::kTagSaveBank, nullptr, "Save all six programs as a bank file (.zyb)"},
    {layout::kTagDefaultBank, nullptr,
     "Double-click: new instances start with this bank; Ctrl+double-click: remove it"},
    {layout::kTagLoadPreset, nullptr, "Load a program file (.zym); right click: other byte order"},
    {layout::kTagSavePreset, nullptr, "Save this program as a file (.zym)"},
    {layout::kTagDefaultPreset, nullptr,
     "Double-click: new instances start with this program; Ctrl+double-click: remove it"},
    {layout::kTagStoreA, nullptr, "Store this program in memory A"},
    {layout::kTagRecallA, nullptr, "Recall memory A (lit when it holds a program)"},
    {layout::kTagStoreB, nullptr, "Store this program in memory B"},
    {layout::kTagRecallB, nullptr, "Recall memory B (lit when it holds a program)"},
    {layout::kTagManual, nullptr, "Open the manual"},
};

const Help* find(int tag)
{
    for (const Help& h : kHelp)
        if (h.tag == tag)
            return &h;
    return nullptr;
}

}  // namespace

const char* readoutNameOf(int tag)
{
    const Help* h = find(tag);
    return h ? h->name : nullptr;
}

const char* tooltipOf(int tag)
{
    const Help* h = find(tag);
    return h ? h->tooltip : nullptr;
}
