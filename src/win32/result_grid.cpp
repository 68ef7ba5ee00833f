#include "win32/result_grid.h"

#include <windowsx.h>

#include <algorithm>

#include "win32/wide.h"

namespace kestrilo::win32 {

namespace {

constexpr wchar_t kClassName[] = L"KestriloStringGrid";
// How near a header line the pointer must be to drag it.
constexpr int kEdgeSlack = 3;
constexpr int kMinColumnWidth = 8;
constexpr int kWheelRows = 3;

}  // namespace

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
  UpdateScrollBars();
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

void ResultGrid::SetGridFont(HFONT font, COLORREF colour) {
  font_ = font;
  fontColour_ = colour;
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
  }
  UpdateScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ResultGrid::Reset() {
  top_ = 1;
  left_ = 0;
  anchor_ = lastCurrent_ = cells_.Row();
  shownVersion_ = ~std::uint64_t{0};
  Refresh();
}

int ResultGrid::SelectionFirst() const { return std::min(anchor_, cells_.Row()); }

int ResultGrid::SelectionLast() const { return std::max(anchor_, cells_.Row()); }

int ResultGrid::VisibleRows() const {
  RECT client;
  GetClientRect(hwnd_, &client);
  return std::max(1, static_cast<int>(client.bottom - kRowHeight) / kRowHeight);
}

int ResultGrid::TotalWidth() const {
  int total = 0;
  for (int width : widths_) total += width;
  return total;
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
}

int ResultGrid::RowAt(int y) const {
  if (y < kRowHeight) return 0;
  return top_ + (y - kRowHeight) / kRowHeight;
}

int ResultGrid::ColumnEdgeAt(int x, int y) const {
  if (y >= kRowHeight) return -1;
  int edge = -left_;
  for (int column = 0; column < kGridColumns; ++column) {
    edge += widths_[column];
    if (x >= edge - kEdgeSlack && x <= edge + kEdgeSlack) return column;
  }
  return -1;
}

void ResultGrid::Paint(HDC dc, const RECT& client) {
  HBRUSH background = GetSysColorBrush(COLOR_WINDOW);
  FillRect(dc, &client, background);
  HGDIOBJ oldFont = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const int rowCount = cells_.RowCount();
  const auto paintRow = [&](int row, int y) {
    const GridRow cells = cells_.Rows(row);
    int x = -left_;
    for (int column = 0; column < kGridColumns; ++column) {
      const RECT cell{x, y, x + widths_[column], y + kRowHeight};
      if (cell.right > 0 && cell.left < client.right) PaintCell(dc, column, row, cells[column], cell);
      x += widths_[column];
    }
  };
  for (int row = top_, y = kRowHeight; row < rowCount && y < client.bottom; ++row, y += kRowHeight) paintRow(row, y);
  paintRow(0, 0);
  SelectObject(dc, oldFont);
}

void ResultGrid::PaintCell(HDC dc, int column, int row, const std::string& text, RECT cell) {
  const bool fixed = row == 0;
  // The focused cell is the current row's first cell while the grid has the focus.
  const bool focused = !fixed && row == cells_.Row() && column == kGroupColumn && GetFocus() == hwnd_;
  const bool selected = !fixed && row >= SelectionFirst() && row <= SelectionLast();

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
  InflateRect(&inner, -2, -2);
  // Group numbers and sizes right-aligned, names and folders left-aligned;
  // names are plain text, an "&" in them is no mnemonic.
  const UINT align = (column == kGroupColumn || column == kSizeColumn) ? DT_RIGHT : DT_LEFT;
  const std::wstring wide = Wide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inner, align | DT_NOPREFIX);
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
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_VSCROLL: {
      SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, SB_VERT, &info);
      const int page = VisibleRows();
      int top = top_;
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          top -= 1;
          break;
        case SB_LINEDOWN:
          top += 1;
          break;
        case SB_PAGEUP:
          top -= page;
          break;
        case SB_PAGEDOWN:
          top += page;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          top = info.nTrackPos + 1;
          break;
        case SB_TOP:
          top = 1;
          break;
        case SB_BOTTOM:
          top = cells_.RowCount();
          break;
        default:
          break;
      }
      ScrollTo(top, left_);
      return 0;
    }
    case WM_HSCROLL: {
      SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, SB_HORZ, &info);
      int left = left_;
      switch (LOWORD(wParam)) {
        case SB_LINELEFT:
          left -= kRowHeight;
          break;
        case SB_LINERIGHT:
          left += kRowHeight;
          break;
        case SB_PAGELEFT:
          left -= static_cast<int>(info.nPage);
          break;
        case SB_PAGERIGHT:
          left += static_cast<int>(info.nPage);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          left = info.nTrackPos;
          break;
        default:
          break;
      }
      ScrollTo(top_, left);
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollTo(top_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelRows, left_);
      return 0;
    case WM_KEYDOWN: {
      const bool extend = GetKeyState(VK_SHIFT) < 0;
      const int row = cells_.Row();
      const int page = VisibleRows();
      switch (wParam) {
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
        default:
          break;
      }
      break;
    }
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
      if (row >= 1 && row < cells_.RowCount()) MoveCurrent(row, (wParam & MK_SHIFT) != 0);
      if (onClick) onClick();
      return 0;
    }
    case WM_MOUSEMOVE:
      if (resizing_ >= 0) {
        SetColumnWidth(resizing_, std::max(kMinColumnWidth, resizeStartWidth_ + GET_X_LPARAM(lParam) - resizeStartX_));
        return 0;
      }
      break;
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
        at = {widths_[0], kRowHeight + (cells_.Row() - top_ + 1) * kRowHeight};
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
