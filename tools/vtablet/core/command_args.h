#pragma once

#include "tools/vtablet/model/control_codes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The control tool's arguments and its printed records, kept apart from the
// platform so that they are tested natively.
namespace Korva::VTablet {

// "0C16", "0x0c16" or a model key such as "QEL40".
std::optional<std::uint16_t> parseProduct(const std::string& text);

// "plug" arguments after the product: [--size WxH] [--bulk] [--noncomposite]
// [--busy N] [--usb full|instant]. Screen size defaults to the model's; busy
// polls to 2; timing to an instant tablet.
std::optional<TabletSetup> parsePlug(const std::vector<std::string>& args);

// "fault" arguments: a fault name and, where it takes one, its value.
// Changes faults and returns false for an unknown name or a bad value.
bool applyFault(Faults& faults, const std::string& name, const std::string& value);

// "input" arguments: the bytes of one or more input reports in hex, in any
// number of arguments ("01 0a ff" or "010aff..."). Empty unless they make
// whole reports of inputReportLength bytes, each starting with id 0x01.
std::vector<std::uint8_t> parseInputReports(const std::vector<std::string>& args);

// One line of "list": "0 0C16 320x200 mode=bulk composite status=0".
std::string listLine(std::uint32_t slot, const SlotInfo& info);

// "status": key=value lines.
std::string statusText(const SlotInfo& info);

// "log": one line a request, oldest first: "seq op id length result status".
std::string logText(const TabletState& state);

} // namespace Korva::VTablet
