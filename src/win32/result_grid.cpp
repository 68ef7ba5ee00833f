#include "win32/result_grid.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "win32/dpi.h"
#include "win32/grid_accessible.h"
#include "win32/wide.h"

namespace kestrilo::win32 {

namespace {

constexpr wchar_t kClassName[] = L"KestriloStringGrid";
// How near a header line the pointer must be to drag it, at 96 DPI.
constexpr int kEdgeSlack = 3;
constexpr int kMinColumnWidth = 8;
constexpr int kWheelRows = 3;
// Text stands this far inside its cell on every side, at 96 DPI.
constexpr int kTextInset = 2;
// A tooltip wider than this breaks its text into lines, at 96 DPI.
constexpr int kToolTipWidth = 600;
constexpr UINT_PTR kToolId = 1;

bool IsNumberColumn(int column) { return column == kGroupColumn || column == kSizeColumn; }

TTTOOLINFOW ToolOf(HWND grid) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = grid;
  tool.uId = kToolId;
  return tool;
}

}  // namespace

ResultGrid::~ResultGrid() {
  if (accessible_ != nullptr) accessible_->Disconnect();
}

void ResultGrid::Create(HWND parent, int id) {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &ResultGrid::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  // One tool over the cell under the pointer; it follows the pointer from
  // cell to cell and holds a text only where the cell cuts one.
  toolTip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  TTTOOLINFOW tool = ToolOf(hwnd_);
  tool.uFlags = TTF_SUBCLASS;
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SetDpi(DpiOf(hwnd_));
}

LRESULT CALLBACK ResultGrid::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* grid = reinterpret_cast<ResultGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (grid == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return grid->OnMessage(message, wParam, lParam);
}

void ResultGrid::SetColumnWidth(int column, int width) {
  widths_[column] = width;
  UpdateScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ResultGrid::SetDpi(int dpi) {
  for (int& width : widths_) width = MulDiv(width, dpi, dpi_);
  left_ = MulDiv(left_, dpi, dpi_);
  dpi_ = dpi;
  SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, Scaled(kToolTipWidth, dpi_));
  UpdateScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

int ResultGrid::RowHeight() const { return Scaled(kRowHeight, dpi_); }

void ResultGrid::SetGridFont(HFONT font, COLORREF colour) {
  font_ = font;
  fontColour_ = colour;
  tipColumn_ = tipRow_ = -1;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ResultGrid::Refresh() {
  const std::uint64_t version = cells_.Version();
  if (version == shownVersion_) return;
  shownVersion_ = version;
  const int current = cells_.Row();
  if (current != lastCurrent_) {
    anchor_ = current;
    lastCurrent_ = current;
    AnnounceCurrent();
  }
  // The texts under the pointer may be others now.
  tipColumn_ = tipRow_ = -1;
  UpdateScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

void ResultGrid::Reset() {
  top_ = 1;
  left_ = 0;
  anchor_ = lastCurrent_ = cells_.Row();
  shownVersion_ = ~std::uint64_t{0};
  Refresh();
  AnnounceCurrent();
}

int ResultGrid::SelectionFirst() const { return std::min(anchor_, cells_.Row()); }

int ResultGrid::SelectionLast() const { return std::min(std::max(anchor_, cells_.Row()), cells_.RowCount() - 2); }

bool ResultGrid::IsSelected(int row) const { return row >= 1 && row >= SelectionFirst() && row <= SelectionLast(); }

int ResultGrid::VisibleRows() const {
  RECT client;
  GetClientRect(hwnd_, &client);
  return std::max(1, static_cast<int>(client.bottom - RowHeight()) / RowHeight());
}

int ResultGrid::TotalWidth() const {
  int total = 0;
  for (int width : widths_) total += width;
  return total;
}

RECT ResultGrid::CellPlace(int column, int row) const {
  int left = -left_;
  for (int before = 0; before < column; ++before) left += widths_[before];
  const int top = row == 0 ? 0 : RowHeight() * (1 + row - top_);
  return {left, top, left + widths_[column], top + RowHeight()};
}

RECT ResultGrid::RowPlace(int row) const {
  const RECT first = CellPlace(0, row);
  return {first.left, first.top, first.left + TotalWidth(), first.bottom};
}

bool ResultGrid::InView(int row) const {
  if (row == 0) return true;
  RECT client;
  GetClientRect(hwnd_, &client);
  return row >= top_ && row < cells_.RowCount() && RowPlace(row).top < client.bottom;
}

void ResultGrid::UpdateScrollBars() {
  if (hwnd_ == nullptr) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  // The rows below the header: the data rows and the trailing row.
  const int rows = std::max(1, cells_.RowCount() - 1);
  const int page = VisibleRows();
  top_ = std::clamp(top_, 1, std::max(1, rows - page + 1));
  SCROLLINFO vertical{
      sizeof vertical, SIF_ALL | SIF_DISABLENOSCROLL, 0, rows - 1, static_cast<UINT>(page), top_ - 1, 0};
  SetScrollInfo(hwnd_, SB_VERT, &vertical, TRUE);
  const int width = static_cast<int>(client.right);
  left_ = std::clamp(left_, 0, std::max(0, TotalWidth() - width));
  SCROLLINFO horizontal{
      sizeof horizontal, SIF_ALL, 0, TotalWidth() - 1, static_cast<UINT>(std::max(width, 1)), left_, 0};
  SetScrollInfo(hwnd_, SB_HORZ, &horizontal, TRUE);
}

void ResultGrid::ScrollTo(int top, int left) {
  top_ = top;
  left_ = left;
  tipColumn_ = tipRow_ = -1;
  UpdateScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ResultGrid::MoveCurrent(int row, bool extend) {
  const int last = cells_.RowCount() - 1;
  row = std::clamp(row, 1, std::max(1, last));
  cells_.SetRow(row);
  lastCurrent_ = row;
  if (!extend) anchor_ = row;
  const int page = VisibleRows();
  int top = top_;
  if (row < top) top = row;
  if (row >= top + page) top = row - page + 1;
  ScrollTo(top, left_);
  AnnounceCurrent();
}

void ResultGrid::AnnounceCurrent() {
  const LONG child = cells_.Row() + 1;
  if (HasFocus()) NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_, OBJID_CLIENT, child);
  NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd_, OBJID_CLIENT, child);
}

int ResultGrid::RowAt(int y) const {
  if (y < 0) return -1;
  const int row = y < RowHeight() ? 0 : top_ + (y - RowHeight()) / RowHeight();
  return row < cells_.RowCount() ? row : -1;
}

int ResultGrid::ColumnAt(int x) const {
  int right = -left_;
  for (int column = 0; column < kGridColumns; ++column) {
    right += widths_[column];
    if (x < right) return x >= right - widths_[column] ? column : -1;
  }
  return -1;
}

int ResultGrid::ColumnEdgeFrom(int left, int step) const {
  int edges[kGridColumns + 1] = {0};
  for (int column = 0; column < kGridColumns; ++column) edges[column + 1] = edges[column] + widths_[column];
  if (step > 0) {
    for (int edge : edges) {
      if (edge > left) return edge;
    }
    return edges[kGridColumns];
  }
  for (int column = kGridColumns; column >= 0; --column) {
    if (edges[column] < left) return edges[column];
  }
  return 0;
}

int ResultGrid::ColumnEdgeAt(int x, int y) const {
  if (y >= RowHeight()) return -1;
  const int slack = Scaled(kEdgeSlack, dpi_);
  int edge = -left_;
  for (int column = 0; column < kGridColumns; ++column) {
    edge += widths_[column];
    if (x >= edge - slack && x <= edge + slack) return column;
  }
  return -1;
}

bool ResultGrid::IsCut(int column, int row) const {
  const std::wstring text = Wide(cells_.Cell(column, row));
  if (text.empty()) return false;
  HDC dc = GetDC(hwnd_);
  HGDIOBJ oldFont = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  RECT needed{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd_, dc);
  return needed.right > widths_[column] - 2 * Scaled(kTextInset, dpi_);
}

void ResultGrid::ShowToolTipFor(POINT at) {
  const int row = RowAt(at.y);
  const int column = row < 0 ? -1 : ColumnAt(at.x);
  if (row == tipRow_ && column == tipColumn_) return;
  tipRow_ = row;
  tipColumn_ = column;
  TTTOOLINFOW tool = ToolOf(hwnd_);
  const bool cut = column >= 0 && IsCut(column, row);
  if (column >= 0) tool.rect = CellPlace(column, row);
  SendMessageW(toolTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  // An empty text shows no tooltip.
  std::wstring text = cut ? Wide(cells_.Cell(column, row)) : std::wstring();
  tool.lpszText = text.data();
  SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(toolTip_, TTM_POP, 0, 0);
}

void ResultGrid::Paint(HDC dc, const RECT& client) {
  HBRUSH background = GetSysColorBrush(COLOR_WINDOW);
  FillRect(dc, &client, background);
  HGDIOBJ oldFont = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const int rowCount = cells_.RowCount();
  const auto paintRow = [&](int row) {
    const GridRow cells = cells_.Rows(row);
    for (int column = 0; column < kGridColumns; ++column) {
      const RECT cell = CellPlace(column, row);
      if (cell.right > 0 && cell.left < client.right) PaintCell(dc, column, row, cells[column], cell);
    }
  };
  for (int row = top_; row < rowCount && RowPlace(row).top < client.bottom; ++row) paintRow(row);
  paintRow(0);
  SelectObject(dc, oldFont);
}

void ResultGrid::PaintCell(HDC dc, int column, int row, const std::string& text, RECT cell) {
  const bool fixed = row == 0;
  // The focused cell is the current row's first cell while the grid has the focus.
  const bool focused = !fixed && row == cells_.Row() && column == kGroupColumn && HasFocus();
  const bool selected = !fixed && IsSelected(row);

  // The focused cell is not drawn as selected: its background stays the grid's.
  COLORREF back = GetSysColor(COLOR_WINDOW);
  if (fixed) {
    back = GetSysColor(COLOR_BTNFACE);
  } else if (!focused && selected) {
    back = GetSysColor(COLOR_HIGHLIGHT);
  }
  SetBkColor(dc, back);
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(dc, &cell, brush);
  DeleteObject(brush);
  if (fixed) DrawEdge(dc, &cell, BDR_RAISEDINNER, BF_RECT);

  COLORREF fore = fontColour_;
  if (focused) {
    DrawFocusRect(dc, &cell);
  } else if (selected) {
    fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  SetTextColor(dc, fore);
  SetBkMode(dc, TRANSPARENT);

  RECT inner = cell;
  const int inset = Scaled(kTextInset, dpi_);
  InflateRect(&inner, -inset, -inset);
  // Group numbers and sizes right-aligned, names and folders left-aligned;
  // names are plain text, an "&" in them is no mnemonic. A text wider than
  // its cell ends in an ellipsis, and the tooltip shows it whole.
  const UINT align = IsNumberColumn(column) ? DT_RIGHT : DT_LEFT;
  const std::wstring wide = Wide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inner, align | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT ResultGrid::OnKeyDown(WPARAM key) {
  const bool extend = GetKeyState(VK_SHIFT) < 0;
  const int row = cells_.Row();
  const int page = VisibleRows();
  switch (key) {
    case VK_UP:
      MoveCurrent(row - 1, extend);
      return 0;
    case VK_DOWN:
      MoveCurrent(row + 1, extend);
      return 0;
    case VK_PRIOR:
      MoveCurrent(row - page, extend);
      return 0;
    case VK_NEXT:
      MoveCurrent(row + page, extend);
      return 0;
    case VK_HOME:
      MoveCurrent(1, extend);
      return 0;
    case VK_END:
      MoveCurrent(cells_.RowCount() - 1, extend);
      return 0;
    // Whole rows are selected, so Left and Right bring the columns into view.
    case VK_LEFT:
      ScrollTo(top_, ColumnEdgeFrom(left_, -1));
      return 0;
    case VK_RIGHT:
      ScrollTo(top_, ColumnEdgeFrom(left_, 1));
      return 0;
    default:
      return DefWindowProcW(hwnd_, WM_KEYDOWN, key, 0);
  }
}

LRESULT ResultGrid::OnScroll(int bar, int request) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd_, bar, &info);
  if (bar == SB_VERT) {
    const int page = VisibleRows();
    const int targets[] = {top_ - 1,           top_ + 1,           top_ - page, top_ + page,
                           info.nTrackPos + 1, info.nTrackPos + 1, 1,           cells_.RowCount()};
    // SB_LINEUP .. SB_BOTTOM are 0 .. 7.
    if (request >= SB_LINEUP && request <= SB_BOTTOM) ScrollTo(targets[request], left_);
    return 0;
  }
  const int page = static_cast<int>(info.nPage);
  const int line = RowHeight();
  const int targets[] = {left_ - line, left_ + line, left_ - page, left_ + page, info.nTrackPos, info.nTrackPos, 0,
                         TotalWidth()};
  if (request >= SB_LINELEFT && request <= SB_RIGHT) ScrollTo(top_, targets[request]);
  return 0;
}

LRESULT ResultGrid::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      RECT client;
      GetClientRect(hwnd_, &client);
      // Painted off screen first, so that scrolling does not flicker.
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
      HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
      Paint(memory, client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      UpdateScrollBars();
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
      InvalidateRect(hwnd_, nullptr, FALSE);
      AnnounceCurrent();
      return 0;
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_GETOBJECT:
      // Screen readers ask for the grid's client object; everything else
      // (the window, its scroll bars) the system answers.
      if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (accessible_ == nullptr) accessible_ = GridAccessible::Create(*this);
        if (accessible_ != nullptr) return accessible_->Answer(wParam);
      }
      break;
    case WM_DESTROY:
      if (accessible_ != nullptr) {
        accessible_->Disconnect();
        accessible_ = nullptr;
      }
      break;
    case WM_VSCROLL:
      return OnScroll(SB_VERT, LOWORD(wParam));
    case WM_HSCROLL:
      return OnScroll(SB_HORZ, LOWORD(wParam));
    case WM_MOUSEWHEEL:
      ScrollTo(top_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelRows, left_);
      return 0;
    case WM_KEYDOWN:
      return OnKeyDown(wParam);
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT at;
        GetCursorPos(&at);
        ScreenToClient(hwnd_, &at);
        if (resizing_ >= 0 || ColumnEdgeAt(at.x, at.y) >= 0) {
          SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(hwnd_);
      const int x = GET_X_LPARAM(lParam);
      const int y = GET_Y_LPARAM(lParam);
      const int edge = ColumnEdgeAt(x, y);
      if (edge >= 0) {
        resizing_ = edge;
        resizeStartX_ = x;
        resizeStartWidth_ = widths_[edge];
        SetCapture(hwnd_);
        return 0;
      }
      const int row = RowAt(y);
      if (row >= 1) MoveCurrent(row, (wParam & MK_SHIFT) != 0);
      if (onClick) onClick();
      return 0;
    }
    case WM_MOUSEMOVE:
      if (resizing_ >= 0) {
        SetColumnWidth(resizing_, std::max(Scaled(kMinColumnWidth, dpi_),
                                           resizeStartWidth_ + GET_X_LPARAM(lParam) - resizeStartX_));
        return 0;
      }
      ShowToolTipFor({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (resizing_ >= 0) {
        resizing_ = -1;
        if (message == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    case WM_CONTEXTMENU: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      // From the keyboard: at the current row.
      if (at.x == -1 && at.y == -1) {
        const RECT row = CellPlace(kNameColumn, cells_.Row());
        at = {row.left, row.bottom};
        ClientToScreen(hwnd_, &at);
      }
      if (onContextMenu) onContextMenu(at);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace kestrilo::win32
