#include "pdf/content/ReadingOrder.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace scrivlet::pdf {
namespace {

using Members = std::vector<uint32_t>;

constexpr size_t kNarrowGutterBands = 3;

// The union of the extents of lines along the page, as disjoint intervals
// (left to right); gaps narrower than the gutter are filled.
class Extents {
public:
  explicit Extents(double minGutter) : FMinGutter(minGutter) {}

  void Add(double left, double right) {
    auto it = FIntervals.upper_bound(left);
    if (it != FIntervals.begin() && std::prev(it)->second + FMinGutter > left)
      --it;
    while (it != FIntervals.end() && it->first < right + FMinGutter) {
      left = std::min(left, it->first);
      right = std::max(right, it->second);
      it = FIntervals.erase(it);
    }
    FIntervals.emplace(left, right);
  }
  bool HasGap() const { return FIntervals.size() > 1; }
  double WidestGap() const {
    double widest = 0;
    if (FIntervals.empty())
      return widest;
    for (auto it = FIntervals.begin(), next = std::next(it); next != FIntervals.end(); ++it, ++next)
      widest = std::max(widest, next->first - it->second);
    return widest;
  }
  void Clear() { FIntervals.clear(); }

private:
  double FMinGutter;
  std::map<double, double> FIntervals;
};

struct Task {
  Members members;
  uint32_t column = 0;
  bool readAsIs = false; // one band without a gutter: read it line by line
};

class Reader {
public:
  Reader(const std::vector<LineBox>& boxes, const ReadingRules& rules)
      : FBoxes(boxes), FMinGutter(rules.minGutter), FWideGutter(rules.wideGutter),
        FBandGap(rules.bandGap), FRightToLeft(rules.rightToLeft), FTableCell(rules.tableCell),
        FMarkWidth(rules.markWidth), FMarkGap(rules.markGap),
        FWorkLeft(kWorkPerLine * (boxes.size() + 1)) {}

  std::vector<ReadingPlace> Read() {
    Task all;
    all.members.resize(FBoxes.size());
    for (uint32_t i = 0; i < all.members.size(); ++i)
      all.members[i] = i;
    FStack.push_back(std::move(all));
    while (!FStack.empty()) {
      Task task = std::move(FStack.back());
      FStack.pop_back();
      if (task.readAsIs || task.members.size() <= 1 || !SpendWork(task.members.size()))
        ReadLines(task);
      else
        Cut(task);
    }
    return std::move(FOrder);
  }

private:
  bool SpendWork(size_t count) {
    if (count > FWorkLeft)
      return false;
    FWorkLeft -= count;
    return true;
  }

  // Lines top to bottom, a row in reading direction.
  void ReadLines(Task& task) {
    std::sort(task.members.begin(), task.members.end(), [this](uint32_t a, uint32_t b) {
      const LineBox &ba = FBoxes[a], &bb = FBoxes[b];
      if (ba.row != bb.row)
        return ba.row < bb.row;
      if (ba.left != bb.left)
        return FRightToLeft ? ba.left > bb.left : ba.left < bb.left;
      return a < b;
    });
    for (uint32_t line : task.members)
      FOrder.push_back({line, task.column});
  }

  std::vector<Members> Bands(Members& members) {
    std::sort(members.begin(), members.end(), [this](uint32_t a, uint32_t b) {
      if (FBoxes[a].top != FBoxes[b].top)
        return FBoxes[a].top > FBoxes[b].top;
      return a < b;
    });
    std::vector<Members> bands;
    double bottom = 0;
    for (uint32_t line : members) {
      if (bands.empty() || FBoxes[line].top <= bottom) {
        bands.emplace_back();
        bottom = FBoxes[line].bottom;
      }
      bands.back().push_back(line);
      bottom = std::min(bottom, FBoxes[line].bottom);
    }
    return bands;
  }

  double Top(const Members& band) const {
    double top = FBoxes[band.front()].top;
    for (uint32_t line : band)
      top = std::max(top, FBoxes[line].top);
    return top;
  }
  double Bottom(const Members& band) const {
    double bottom = FBoxes[band.front()].bottom;
    for (uint32_t line : band)
      bottom = std::min(bottom, FBoxes[line].bottom);
    return bottom;
  }

  bool HasGutter(const Members& band, Extents& scratch) const {
    scratch.Clear();
    for (uint32_t line : band)
      scratch.Add(FBoxes[line].left, FBoxes[line].right);
    return scratch.HasGap();
  }

  struct Group {
    Members members;
    std::vector<Members> bands;
    size_t twoSided = 0; // bands with lines on both sides of a gap
    bool gutter = false; // its gaps are gutters (see HasGutters)
    bool table = false;  // its bands are the rows of a table
  };

  // Whether a band is one row of short cells side by side.
  bool IsTableRow(const Members& band) const {
    if (FTableCell <= 0 || band.size() < kTableColumns)
      return false;
    size_t wide = 0;
    for (uint32_t line : band) {
      // A cell may be wider than the others (a description); two such
      // lines are more likely running text of columns beside a table.
      double width = FBoxes[line].right - FBoxes[line].left;
      wide += width > FTableCell;
      if (FBoxes[line].row != FBoxes[band.front()].row || width > 2 * FTableCell || wide > 1)
        return false;
    }
    return true;
  }

  // For each band, the number (from 1) of the table whose row it is, or 0:
  // tables are runs of kMinTableRows to kTableRows table rows.
  std::vector<uint32_t> Tables(const std::vector<Members>& bands) const {
    std::vector<uint32_t> tables(bands.size());
    uint32_t count = 0;
    for (size_t first = 0; first < bands.size();) {
      size_t last = first;
      while (last < bands.size() && IsTableRow(bands[last]))
        ++last;
      if (last - first >= kMinTableRows && last - first <= kTableRows) {
        ++count;
        std::fill(tables.begin() + static_cast<std::ptrdiff_t>(first),
                  tables.begin() + static_cast<std::ptrdiff_t>(last), count);
      }
      first = std::max(last, first + 1);
    }
    return tables;
  }

  // Consecutive bands that keep a gap free together.
  std::vector<Group> GroupBands(std::vector<Members>& bands) {
    std::vector<Group> groups;
    Extents together(FMinGutter), alone(FMinGutter);
    double groupBottom = 0;
    std::vector<uint32_t> tables = Tables(bands);
    for (size_t i = 0; i < bands.size(); ++i) {
      Members& band = bands[i];
      bool gutter = HasGutter(band, alone);
      // Bands further apart than kBandGap are separate groups: rows of a
      // table of contents or of a form stand far apart, lines of text do
      // not.  The rows of a table make a group of their own.
      bool joins = !groups.empty() && groupBottom - Top(band) <= FBandGap;
      if (i > 0 && (tables[i] || tables[i - 1]))
        joins = tables[i] == tables[i - 1];
      else if (joins) {
        for (uint32_t line : band)
          together.Add(FBoxes[line].left, FBoxes[line].right);
        joins = together.HasGap();
      }
      if (!joins) {
        groups.emplace_back();
        together.Clear();
        for (uint32_t line : band)
          together.Add(FBoxes[line].left, FBoxes[line].right);
      }
      Group& group = groups.back();
      group.table = tables[i] != 0;
      groupBottom = Bottom(band);
      group.twoSided += gutter;
      group.members.insert(group.members.end(), band.begin(), band.end());
      group.bands.push_back(std::move(band));
    }
    for (Group& group : groups)
      group.gutter = HasGutters(group, alone);
    return groups;
  }

  // A wide gap in one band is a gutter; a narrow one (the columns of a
  // table) must line up over several bands, as two words far apart in
  // justified text seldom do.
  bool HasGutters(const Group& group, Extents& scratch) const {
    if (group.twoSided >= kNarrowGutterBands)
      return true;
    if (group.twoSided == 0)
      return false;
    scratch.Clear();
    for (uint32_t line : group.members)
      scratch.Add(FBoxes[line].left, FBoxes[line].right);
    return scratch.WidestGap() >= FWideGutter;
  }

  // The columns of a group, left to right (right to left).
  std::vector<Members> Columns(Members& members) {
    std::sort(members.begin(), members.end(), [this](uint32_t a, uint32_t b) {
      if (FBoxes[a].left != FBoxes[b].left)
        return FBoxes[a].left < FBoxes[b].left;
      return a < b;
    });
    std::vector<Members> columns;
    double right = 0;
    for (uint32_t line : members) {
      if (columns.empty() || FBoxes[line].left >= right + FMinGutter) {
        columns.emplace_back();
        right = FBoxes[line].right;
      }
      columns.back().push_back(line);
      right = std::max(right, FBoxes[line].right);
    }
    if (FRightToLeft)
      std::reverse(columns.begin(), columns.end());
    JoinMarksToTheirText(columns);
    return columns;
  }

  // Columns in reading order: a column of marks joins the one after it.
  void JoinMarksToTheirText(std::vector<Members>& columns) const {
    if (FMarkWidth <= 0)
      return;
    for (size_t i = 0; i + 1 < columns.size(); ++i) {
      if (!AreMarksOf(columns[i], columns[i + 1]))
        continue;
      columns[i + 1].insert(columns[i + 1].end(), columns[i].begin(), columns[i].end());
      columns[i].clear();
    }
    std::erase_if(columns, [](const Members& column) { return column.empty(); });
  }

  bool AreMarksOf(const Members& marks, const Members& text) const {
    double markEdge = FRightToLeft ? FBoxes[marks.front()].left : FBoxes[marks.front()].right;
    for (uint32_t line : marks) {
      const LineBox& box = FBoxes[line];
      if (box.right - box.left > FMarkWidth)
        return false;
      markEdge = FRightToLeft ? std::min(markEdge, box.left) : std::max(markEdge, box.right);
    }
    // The items' text is wider than marks: a column of short numbers
    // beside another (a table's) is no list.
    double textEdge = FRightToLeft ? FBoxes[text.front()].right : FBoxes[text.front()].left;
    double widest = 0;
    std::vector<uint32_t> rows;
    rows.reserve(text.size());
    for (uint32_t line : text) {
      const LineBox& box = FBoxes[line];
      textEdge = FRightToLeft ? std::max(textEdge, box.right) : std::min(textEdge, box.left);
      widest = std::max(widest, box.right - box.left);
      rows.push_back(box.row);
    }
    const double gap = FRightToLeft ? markEdge - textEdge : textEdge - markEdge;
    if (gap > FMarkGap || widest <= 2 * FMarkWidth)
      return false;
    std::sort(rows.begin(), rows.end());
    return std::all_of(marks.begin(), marks.end(), [&](uint32_t line) {
      return std::binary_search(rows.begin(), rows.end(), FBoxes[line].row);
    });
  }

  // Pushes the parts of the task so that the first is read first.
  void Cut(Task& task) {
    std::vector<Members> bands = Bands(task.members);
    std::vector<Group> groups = GroupBands(bands);
    std::vector<Task> parts;
    if (groups.size() == 1 && groups.front().gutter && !groups.front().table) {
      for (Members& column : Columns(groups.front().members)) {
        // A cut that leaves everything in one column (gaps filled by lines
        // of other bands) reads the bands as they are.
        if (column.size() == task.members.size())
          break;
        parts.push_back({std::move(column), FNextColumn++, false});
      }
    }
    if (parts.empty()) {
      for (Group& group : groups) {
        if (group.gutter && groups.size() > 1 && !group.table) {
          parts.push_back({std::move(group.members), FNextColumn++, false});
          continue;
        }
        for (Members& band : group.bands)
          parts.push_back({std::move(band), task.column, true});
      }
    }
    for (auto it = parts.rbegin(); it != parts.rend(); ++it)
      FStack.push_back(std::move(*it));
  }

  const std::vector<LineBox>& FBoxes;
  double FMinGutter, FWideGutter, FBandGap;
  bool FRightToLeft;
  double FTableCell;
  double FMarkWidth, FMarkGap;
  uint64_t FWorkLeft;
  uint32_t FNextColumn = 1; // 0: the page as a whole
  std::vector<Task> FStack;
  std::vector<ReadingPlace> FOrder;
};

} // namespace

std::vector<ReadingPlace> ReadingOrder(const std::vector<LineBox>& boxes,
                                       const ReadingRules& rules) {
  return Reader(boxes, rules).Read();
}

} // namespace scrivlet::pdf
