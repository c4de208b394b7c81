#pragma once
// Undo and redo of a designer's edits: the document as it was before each edit, with what
// the edit was ("Verschieben", "Textfeld hinzufügen"). A document is a few dozen items, so
// keeping whole values is cheap and never goes out of step with the edits. The history
// also knows whether the document differs from what was last saved (or opened).
#include "layouts/DesignDocument.h"

#include <QString>

#include <vector>

namespace lobrix::layouts {

class DesignHistory {
public:
    // Before an edit: `before` is what undo brings back; redo is gone.
    void record(const DesignDocument &before, const QString &description)
    {
        // A saved state that lay in the redo steps can no longer be reached.
        if (m_savedDepth > int(m_undo.size()))
            m_savedDepth = -1;
        m_undo.push_back({before, description});
        m_redo.clear();
    }
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // What the next undo and redo would take back or do again; empty when none.
    QString undoText() const { return m_undo.empty() ? QString() : m_undo.back().description; }
    QString redoText() const { return m_redo.empty() ? QString() : m_redo.back().description; }
    // Steps back from `current`; false when there is nothing to undo.
    bool undo(DesignDocument &current)
    {
        if (m_undo.empty())
            return false;
        m_redo.push_back({current, m_undo.back().description});
        current = m_undo.back().document;
        m_undo.pop_back();
        return true;
    }
    bool redo(DesignDocument &current)
    {
        if (m_redo.empty())
            return false;
        m_undo.push_back({current, m_redo.back().description});
        current = m_redo.back().document;
        m_redo.pop_back();
        return true;
    }
    // A new document: nothing to undo, and it is as saved.
    void clear()
    {
        m_undo.clear();
        m_redo.clear();
        m_savedDepth = 0;
    }
    // The document as it is now was saved.
    void markSaved() { m_savedDepth = int(m_undo.size()); }
    // True when undo or redo or an edit took the document away from what was saved.
    bool isModified() const { return m_savedDepth != int(m_undo.size()); }

private:
    struct Step {
        DesignDocument document;
        QString description;
    };
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    int m_savedDepth = 0; // undo steps of the saved state; -1 when it can no longer be reached
};

} // namespace lobrix::layouts
