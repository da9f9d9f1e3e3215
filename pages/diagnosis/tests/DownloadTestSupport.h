// What the download page's window tests share: pumping the program's events,
// pressing a page's button, reading the message list and writing a software
// file for the simulated boot loader.
#pragma once

#include "GuiDriver.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/listbox.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace downloadtest {

// The download tests give the program 200 passes of the event loop.
inline bool PumpUntil(const std::function<bool()>& done, int rounds = 200)
{
    return guidriver::PumpUntil(done, rounds);
}

// Presses the button `id` on `page` as a click does.
inline void Click(wxWindow* page, int id)
{
    auto* button = dynamic_cast<wxButton*>(page->FindWindow(id));
    ASSERT_NE(button, nullptr) << id;
    guidriver::Click(button);
}

inline std::vector<std::string> Lines(wxListBox* list)
{
    std::vector<std::string> lines;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        lines.push_back(list->GetString(i).utf8_string());
    return lines;
}

// An ECU software file of `size` bytes for the simulated boot loader: its
// versions, one linear address record, data records of 32 bytes. The data
// byte at offset k is (k * factor + add) & 0xFF.
inline void WriteSoftwareFile(const std::string& path, size_t size, unsigned factor, unsigned add)
{
    std::ofstream out(path, std::ios::binary);
    out << ";BL=0102\n;HW=0201\n:020000040001F9\n";
    char line[128];
    for (size_t at = 0; at < size; at += 32) {
        const size_t n = std::min<size_t>(32, size - at);
        unsigned sum = static_cast<unsigned>(n) + ((at >> 8) & 0xFF) + (at & 0xFF);
        int used = std::snprintf(line, sizeof line, ":%02X%04X00", static_cast<unsigned>(n),
                                 static_cast<unsigned>(at & 0xFFFF));
        for (size_t i = 0; i < n; ++i) {
            const unsigned byte = static_cast<unsigned>((at + i) * factor + add) & 0xFF;
            sum += byte;
            used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used), "%02X", byte);
        }
        std::snprintf(line + used, sizeof line - static_cast<size_t>(used), "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        out << line;
    }
    out << ":00000001FF\n";
}

} // namespace downloadtest
