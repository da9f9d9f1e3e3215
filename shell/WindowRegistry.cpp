#include "WindowRegistry.h"

#include <array>
#include <cstddef>

namespace tarvel {

namespace {
// UI thread only, like the windows it points at.
std::array<MessageTarget*, static_cast<size_t>(WindowSlot::Count)> registry{};

size_t Index(WindowSlot slot)
{
    return static_cast<size_t>(slot);
}
} // namespace

MessageTarget::~MessageTarget()
{
    ForgetWindow(this);
}

void RegisterWindow(WindowSlot slot, MessageTarget* target)
{
    if (Index(slot) < registry.size())
        registry[Index(slot)] = target;
}

MessageTarget* FindRegisteredWindow(WindowSlot slot)
{
    return Index(slot) < registry.size() ? registry[Index(slot)] : nullptr;
}

void ForgetWindow(MessageTarget* target)
{
    if (!target)
        return;
    for (auto& entry : registry)
        if (entry == target)
            entry = nullptr;
}

bool SendToRegisteredWindow(WindowSlot slot, int message)
{
    MessageTarget* target = FindRegisteredWindow(slot);
    return target ? target->HandleAppMessage(message) : false;
}

} // namespace tarvel
