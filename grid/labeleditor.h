#pragma once

#include "labelgrid.h"
#include "labelview.h"
#include "textcodec.h"

#include <string>

namespace verbolt {

/// The editing commands of the main window, on the grid and the label files: line display
/// and navigation, Apply, Duplicate French text and Find next. The window forwards its
/// events here; this class reaches the window only through LabelView.
class LabelEditor
{
public:
    LabelEditor(LabelGrid &grid, LabelView &view, std::string dir, CodePage page,
                std::string commentsName = "comments.cmt");

    void ShowLine(int index);
    void OnClickList(int row) { ShowLine(row); }
    void OnKeydownList(int key);
    void OnApply();
    void OnDuplicate();
    void OnFindNext();

    int currentLine() const { return m_nCurLine; }
    const std::string &currentId() const { return m_strCurId; }
    const TextCodec &codec() const { return m_codec; }

    /// The file a column is written to: the one read at start-up, or header + ".lan".
    std::string columnPath(int column) const;

    static constexpr std::size_t kCommentLimit = 999;

private:
    std::string utf8(std::string_view bytes) const { return m_codec.toUtf8(bytes); }
    void reportWriteFailures(const std::vector<std::string> &paths);

    LabelGrid &m_grid;
    LabelView &m_view;
    TextCodec m_codec;
    std::string m_strDir;
    std::string m_commentsName;
    int m_nCurLine = -1;
    std::string m_strCurId;
};

} // namespace verbolt
