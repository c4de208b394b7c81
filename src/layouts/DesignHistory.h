#pragma once
// Undo and redo of a designer's edits: the document as it was before each edit. A
// document is a few dozen items, so keeping whole values is cheap and never goes out of
// step with the edits.
#include "layouts/DesignDocument.h"

#include <vector>

namespace lobrix::layouts {

class DesignHistory {
public:
    // Before an edit: `before` is what undo brings back; redo is gone.
    void record(const DesignDocument &before)
    {
        m_undo.push_back(before);
        m_redo.clear();
    }
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // Steps back from `current`; false when there is nothing to undo.
    bool undo(DesignDocument &current)
    {
        if (m_undo.empty())
            return false;
        m_redo.push_back(current);
        current = m_undo.back();
        m_undo.pop_back();
        return true;
    }
    bool redo(DesignDocument &current)
    {
        if (m_redo.empty())
            return false;
        m_undo.push_back(current);
        current = m_redo.back();
        m_redo.pop_back();
        return true;
    }
    void clear()
    {
        m_undo.clear();
        m_redo.clear();
    }

private:
    std::vector<DesignDocument> m_undo;
    std::vector<DesignDocument> m_redo;
};

} // namespace lobrix::layouts
