#include "EolPressureReader.h"

#include "DiagnosisGlobals.h"
#include "ValueCodec.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <cctype>

PressureField DecodePressureField(const uint8_t* data, size_t size, const _tagMonitorDIDdesc_Sub_& sub,
                                  const std::string& didNumber)
{
    // Whole bytes of one unsigned number, at most four of them.
    if (sub.BitLenth < 8 || sub.BitLenth > 32)
        return {};
    ValueField field = MakeValueField(sub, didNumber);
    field.DataType = "Unsigned";
    field.DecimalValid = 2;
    ValueCodecOptions options = MonitorCodecOptions();
    options.format = NumberFormat::ByDecimalValid;
    const DecodedValue decoded = DecodeValue(data, size, field, options);
    if (!decoded.hasNumber)
        return {};
    PressureField out;
    out.ok = true;
    out.value = decoded.number;
    out.text = decoded.number >= kPressureShownLimit ? "-" : decoded.text;
    return out;
}

bool PressureRecordDid(const _tagMonitorDIDdesc_& record, uint16_t& did)
{
    const std::string& text = record.DidNumber;
    if (text.empty() || text.size() > 4)
        return false;
    unsigned value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                       : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    did = static_cast<uint16_t>(value);
    return true;
}

bool UpdatePressureSlot(PressureSlot& slot, const PressureField& field, PressureUpdate update)
{
    if (!field.ok)
        return false;
    slot.read = true;
    slot.lastReading = field.text;
    const bool take = !slot.has || update == PressureUpdate::Take ||
                      (update == PressureUpdate::KeepHighest && field.value >= slot.value) ||
                      (update == PressureUpdate::KeepLowest && field.value <= slot.value);
    if (!take)
        return false;
    slot.has = true;
    slot.value = field.value;
    slot.text = field.text;
    return true;
}

bool LastRequestUnanswered()
{
    return !tarvel::UdsLastCallRefusedHere() && tarvel::UdsLastResponseLengthHere() == 0;
}

namespace {

bool VariantMatches(PressureVariant rule, int32_t variant)
{
    switch (rule) {
    case PressureVariant::Zero: return variant == 0;
    case PressureVariant::NotZero: return variant != 0;
    default: return true;
    }
}

} // namespace

PressureReadOutcome ReadPressurePass(const PressureReadPass& pass, const std::function<std::string(int)>& text,
                                     const std::function<bool()>& stillRunning, std::vector<PressureSlot>& slots)
{
    // The walk uses a copy: a nested handler may reload the definitions.
    const std::vector<_tagMonitorDIDdesc_> records = MonitorDidList;
    for (const _tagMonitorDIDdesc_& record : records) {
        uint16_t did = 0;
        if (!PressureRecordDid(record, did) ||
            std::find(pass.dids.begin(), pass.dids.end(), did) == pass.dids.end())
            continue;
        std::vector<uint8_t> data;
        const int read = tarvel::UdsReadById(did, data);
        if (!stillRunning())
            return PressureReadOutcome::Ended;
        if (read != 1)
            return LastRequestUnanswered() ? PressureReadOutcome::NoAnswer : PressureReadOutcome::ReadFailed;
        // Only what the ECU sent counts, not the padding of its last frame.
        const uint32_t length = tarvel::UdsResponseLength();
        const size_t size = std::min<size_t>(data.size(), length >= 3 ? length - 3 : 0);
        for (const auto& sub : record.SubFields) {
            for (const PressureRoute& route : pass.routes) {
                if ((route.did != 0 && route.did != did) || !VariantMatches(route.variant, pass.variant) ||
                    sub.SubDataName != text(route.nameRow))
                    continue;
                if (route.slot >= 0 && static_cast<size_t>(route.slot) < slots.size())
                    UpdatePressureSlot(slots[static_cast<size_t>(route.slot)],
                                       DecodePressureField(data.data(), size, sub, record.DidNumber), route.update);
                break; // one route per sub-field: the first that names it
            }
        }
    }
    return PressureReadOutcome::Done;
}
