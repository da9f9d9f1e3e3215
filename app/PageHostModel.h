// Which of the fixed tabs are shown. The tab control only holds the shown
// pages, so a page's position in it is the number of shown pages with a lower
// fixed index; this class keeps that bookkeeping apart from the control.
#pragma once

#include <vector>

namespace tarvel {

class PageVisibility {
public:
    explicit PageVisibility(int pageCount) : shown_(pageCount > 0 ? pageCount : 0, false) {}

    int PageCount() const { return static_cast<int>(shown_.size()); }
    bool IsShown(int index) const { return Valid(index) && shown_[index]; }
    // Position the page has (or would have) among the shown tabs; -1 for a bad index.
    int PositionOf(int index) const
    {
        if (!Valid(index))
            return -1;
        int pos = 0;
        for (int i = 0; i < index; ++i)
            pos += shown_[i] ? 1 : 0;
        return pos;
    }
    // Fixed index of the shown tab at `position`, -1 when there is none.
    int IndexAt(int position) const
    {
        if (position < 0)
            return -1;
        for (int i = 0; i < PageCount(); ++i)
            if (shown_[i] && position-- == 0)
                return i;
        return -1;
    }
    int ShownCount() const
    {
        int n = 0;
        for (bool s : shown_)
            n += s ? 1 : 0;
        return n;
    }
    // Returns false for a bad index; otherwise records the state.
    bool Set(int index, bool shown)
    {
        if (!Valid(index))
            return false;
        shown_[index] = shown;
        return true;
    }

private:
    bool Valid(int index) const { return index >= 0 && index < PageCount(); }
    std::vector<bool> shown_;
};

} // namespace tarvel
