#include "win32/grid_accessible.h"

#include <new>
#include <string>

#include "win32/result_grid.h"
#include "win32/wide.h"

namespace kestrilo::win32 {

namespace {

// A text as an accessible name: nothing (S_FALSE) for an empty one.
HRESULT AnswerText(const std::string& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocString(Wide(text).c_str());
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT AnswerNumber(long value, VARIANT* out) {
  if (out == nullptr) return E_POINTER;
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

HRESULT AnswerNothing(VARIANT* out) {
  if (out == nullptr) return E_POINTER;
  VariantInit(out);
  return S_FALSE;
}

// A child id, or -1 when the VARIANT holds none.
long ChildOf(const VARIANT& child) { return child.vt == VT_I4 ? child.lVal : -1; }

VARIANT ChildVariant(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// A row's name: its texts in the order of the columns, as the grid shows
// them; an empty cell adds nothing.
std::string RowName(const ResultGrid& grid, int row) {
  std::string name;
  for (const std::string& text : grid.Cells().Rows(row)) {
    if (text.empty()) continue;
    if (!name.empty()) name += ' ';
    name += text;
  }
  return name;
}

long RowState(const ResultGrid& grid, int row) {
  long state = STATE_SYSTEM_READONLY;
  if (!IsWindowEnabled(grid.Handle())) state |= STATE_SYSTEM_UNAVAILABLE;
  if (!grid.InView(row)) state |= STATE_SYSTEM_OFFSCREEN;
  if (row == 0) return state;
  state |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (grid.IsSelected(row)) state |= STATE_SYSTEM_SELECTED;
  if (row == grid.Cells().Row() && grid.HasFocus()) state |= STATE_SYSTEM_FOCUSED;
  return state;
}

HRESULT AnswerPlace(const ResultGrid& grid, RECT place, long* left, long* top, long* width, long* height) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
  POINT corner{place.left, place.top};
  ClientToScreen(grid.Handle(), &corner);
  *left = corner.x;
  *top = corner.y;
  *width = place.right - place.left;
  *height = place.bottom - place.top;
  return S_OK;
}

// Makes a row current on a reader's request, as a click would.
HRESULT SelectRow(ResultGrid& grid, int row, long flags) {
  if (row < 1 || row >= grid.Cells().RowCount()) return E_INVALIDARG;
  if ((flags & SELFLAG_TAKEFOCUS) != 0) SetFocus(grid.Handle());
  if ((flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION | SELFLAG_EXTENDSELECTION)) != 0) {
    grid.MoveCurrent(row, (flags & SELFLAG_EXTENDSELECTION) != 0);
  }
  return S_OK;
}

// One row of the grid; its four cells are its simple children 1 to 4.
class RowAccessible final : public AccessibleObject {
 public:
  RowAccessible(GridAccessible& table, int row) : table_(table), row_(row) { table_.AddRef(); }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (Grid() == nullptr) return RPC_E_DISCONNECTED;
    table_.AddRef();
    *parent = &table_;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    *count = kGridColumns;
    return Grid() != nullptr ? S_OK : RPC_E_DISCONNECTED;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (Grid() == nullptr) return RPC_E_DISCONNECTED;
    // The cells are simple elements, read through the row.
    return IsCell(ChildOf(child)) ? S_FALSE : E_INVALIDARG;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    const ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(child);
    if (id == CHILDID_SELF) return AnswerText(RowName(*grid, row_), name);
    if (!IsCell(id)) return E_INVALIDARG;
    return AnswerText(grid->Cells().Cell(static_cast<int>(id - 1), row_), name);
  }

  // A data cell is described by its column's header.
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    const ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(child);
    if (id != CHILDID_SELF && !IsCell(id)) return E_INVALIDARG;
    const bool dataCell = id != CHILDID_SELF && row_ != 0;
    return AnswerText(dataCell ? grid->Cells().Cell(static_cast<int>(id - 1), 0) : std::string(), description);
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (Grid() == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(child);
    if (id == CHILDID_SELF) return AnswerNumber(ROLE_SYSTEM_ROW, role);
    if (!IsCell(id)) return E_INVALIDARG;
    return AnswerNumber(row_ == 0 ? ROLE_SYSTEM_COLUMNHEADER : ROLE_SYSTEM_CELL, role);
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(child);
    if (id != CHILDID_SELF && !IsCell(id)) return E_INVALIDARG;
    const long rowState = RowState(*grid, row_);
    if (id == CHILDID_SELF) return AnswerNumber(rowState, state);
    return AnswerNumber(rowState & (STATE_SYSTEM_READONLY | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_OFFSCREEN), state);
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    const ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    if ((RowState(*grid, row_) & STATE_SYSTEM_FOCUSED) != 0) return AnswerNumber(CHILDID_SELF, focus);
    return AnswerNothing(focus);
  }

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (Grid() == nullptr) return RPC_E_DISCONNECTED;
    return AnswerNothing(selection);
  }

  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(child);
    if (id != CHILDID_SELF && !IsCell(id)) return E_INVALIDARG;
    return SelectRow(*grid, row_, flags);
  }

  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    const ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(child);
    if (id == CHILDID_SELF) return AnswerPlace(*grid, grid->RowPlace(row_), left, top, width, height);
    if (!IsCell(id)) return E_INVALIDARG;
    return AnswerPlace(*grid, grid->CellPlace(static_cast<int>(id - 1), row_), left, top, width, height);
  }

  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (Grid() == nullptr) return RPC_E_DISCONNECTED;
    const long id = ChildOf(start);
    if (id == CHILDID_SELF) {
      if (direction == NAVDIR_FIRSTCHILD) return AnswerNumber(1, end);
      if (direction == NAVDIR_LASTCHILD) return AnswerNumber(kGridColumns, end);
      // Beside a row are the rows above and below it.
      return table_.accNavigate(direction, ChildVariant(row_ + 1), end);
    }
    if (!IsCell(id)) return E_INVALIDARG;
    long next = 0;
    if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) next = id + 1;
    if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) next = id - 1;
    return IsCell(next) ? AnswerNumber(next, end) : AnswerNothing(end);
  }

  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    const ResultGrid* grid = Grid();
    if (grid == nullptr) return RPC_E_DISCONNECTED;
    POINT at{x, y};
    ScreenToClient(grid->Handle(), &at);
    const RECT row = grid->RowPlace(row_);
    if (!PtInRect(&row, at)) return AnswerNothing(child);
    return AnswerNumber(grid->ColumnAt(at.x) + 1, child);
  }

 private:
  ~RowAccessible() override { table_.Release(); }

  // The grid, or nothing once it or this row has gone (a new check may have
  // fewer rows).
  ResultGrid* Grid() const {
    ResultGrid* grid = table_.Grid();
    return grid != nullptr && row_ < grid->Cells().RowCount() ? grid : nullptr;
  }
  static bool IsCell(long id) { return id >= 1 && id <= kGridColumns; }

  GridAccessible& table_;
  int row_;
};

// A child id of the table names grid row id - 1: the table answers for its
// rows as their own objects do, for readers that ask the table.
template <typename Question>
HRESULT AskRow(GridAccessible& table, const VARIANT& child, Question question) {
  const VARIANT row = table.RowObject(static_cast<int>(ChildOf(child) - 1));
  if (row.vt != VT_DISPATCH) return E_INVALIDARG;
  auto* object = static_cast<IAccessible*>(row.pdispVal);
  const HRESULT result = question(*object, ChildVariant(CHILDID_SELF));
  object->Release();
  return result;
}

}  // namespace

HRESULT AccessibleObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDispatch)) ||
      IsEqualIID(riid, __uuidof(IAccessible))) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG AccessibleObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG AccessibleObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT AccessibleObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT AccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT AccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT AccessibleObject::get_accValue(VARIANT, BSTR* value) { return AnswerText({}, value); }

HRESULT AccessibleObject::get_accHelp(VARIANT, BSTR* help) { return AnswerText({}, help); }

HRESULT AccessibleObject::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file != nullptr) *file = nullptr;
  if (topic != nullptr) *topic = -1;
  return S_FALSE;
}

HRESULT AccessibleObject::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) { return AnswerText({}, shortcut); }

HRESULT AccessibleObject::get_accDefaultAction(VARIANT, BSTR* action) { return AnswerText({}, action); }

HRESULT AccessibleObject::accDoDefaultAction(VARIANT) { return DISP_E_MEMBERNOTFOUND; }

HRESULT AccessibleObject::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT AccessibleObject::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

GridAccessible* GridAccessible::Create(ResultGrid& grid) {
  auto* accessible = new (std::nothrow) GridAccessible(grid);
  if (accessible == nullptr) return nullptr;
  if (FAILED(CreateStdAccessibleObject(grid.Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&accessible->standard_)))) {
    accessible->standard_ = nullptr;
  }
  return accessible;
}

GridAccessible::~GridAccessible() {
  if (standard_ != nullptr) standard_->Release();
}

LRESULT GridAccessible::Answer(WPARAM flags) {
  return LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(this));
}

void GridAccessible::Disconnect() {
  grid_ = nullptr;
  if (standard_ != nullptr) {
    standard_->Release();
    standard_ = nullptr;
  }
  Release();
}

VARIANT GridAccessible::RowObject(int row) {
  VARIANT object;
  VariantInit(&object);
  if (grid_ == nullptr || row < 0 || row >= grid_->Cells().RowCount()) return object;
  auto* accessible = new (std::nothrow) RowAccessible(*this, row);
  if (accessible == nullptr) return object;
  object.vt = VT_DISPATCH;
  object.pdispVal = accessible;
  return object;
}

HRESULT GridAccessible::get_accParent(IDispatch** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  return standard_ != nullptr ? standard_->get_accParent(parent) : S_FALSE;
}

HRESULT GridAccessible::get_accChildCount(long* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  *count = grid_->Cells().RowCount();
  return S_OK;
}

HRESULT GridAccessible::get_accChild(VARIANT child, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  const long id = ChildOf(child);
  if (id < 1 || id > grid_->Cells().RowCount()) return E_INVALIDARG;
  const VARIANT row = RowObject(static_cast<int>(id - 1));
  if (row.vt != VT_DISPATCH) return E_OUTOFMEMORY;
  *object = row.pdispVal;
  return S_OK;
}

HRESULT GridAccessible::get_accName(VARIANT child, BSTR* name) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (ChildOf(child) == CHILDID_SELF) {
    return standard_ != nullptr ? standard_->get_accName(child, name) : AnswerText({}, name);
  }
  return AskRow(*this, child, [&](IAccessible& row, VARIANT self) { return row.get_accName(self, name); });
}

HRESULT GridAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (ChildOf(child) == CHILDID_SELF) return AnswerText({}, description);
  return AskRow(*this, child,
                [&](IAccessible& row, VARIANT self) { return row.get_accDescription(self, description); });
}

HRESULT GridAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (ChildOf(child) == CHILDID_SELF) return AnswerNumber(ROLE_SYSTEM_TABLE, role);
  return AskRow(*this, child, [&](IAccessible& row, VARIANT self) { return row.get_accRole(self, role); });
}

HRESULT GridAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (ChildOf(child) == CHILDID_SELF) {
    return standard_ != nullptr ? standard_->get_accState(child, state) : AnswerNumber(0, state);
  }
  return AskRow(*this, child, [&](IAccessible& row, VARIANT self) { return row.get_accState(self, state); });
}

HRESULT GridAccessible::accSelect(long flags, VARIANT child) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (ChildOf(child) == CHILDID_SELF) {
    if ((flags & SELFLAG_TAKEFOCUS) != 0) SetFocus(grid_->Handle());
    return S_OK;
  }
  return AskRow(*this, child, [&](IAccessible& row, VARIANT self) { return row.accSelect(flags, self); });
}

HRESULT GridAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (ChildOf(child) == CHILDID_SELF) {
    return standard_ != nullptr ? standard_->accLocation(left, top, width, height, child) : E_FAIL;
  }
  return AskRow(*this, child,
                [&](IAccessible& row, VARIANT self) { return row.accLocation(left, top, width, height, self); });
}

HRESULT GridAccessible::get_accFocus(VARIANT* focus) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (focus == nullptr) return E_POINTER;
  if (!grid_->HasFocus()) return AnswerNothing(focus);
  *focus = RowObject(grid_->Cells().Row());
  return focus->vt == VT_DISPATCH ? S_OK : AnswerNumber(CHILDID_SELF, focus);
}

// With several rows selected, the current one; each row's state tells
// whether it is selected.
HRESULT GridAccessible::get_accSelection(VARIANT* selection) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (selection == nullptr) return E_POINTER;
  const int current = grid_->Cells().Row();
  if (!grid_->IsSelected(current)) return AnswerNothing(selection);
  *selection = RowObject(current);
  return selection->vt == VT_DISPATCH ? S_OK : S_FALSE;
}

HRESULT GridAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (end == nullptr) return E_POINTER;
  const long id = ChildOf(start);
  const int rows = grid_->Cells().RowCount();
  int row = -1;
  if (id == CHILDID_SELF) {
    if (direction == NAVDIR_FIRSTCHILD) row = 0;
    if (direction == NAVDIR_LASTCHILD) row = rows - 1;
    if (row < 0) return standard_ != nullptr ? standard_->accNavigate(direction, start, end) : AnswerNothing(end);
  } else if (id >= 1 && id <= rows) {
    if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) row = static_cast<int>(id);
    if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) row = static_cast<int>(id) - 2;
  } else {
    return E_INVALIDARG;
  }
  *end = RowObject(row);
  return end->vt == VT_DISPATCH ? S_OK : S_FALSE;
}

HRESULT GridAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (grid_ == nullptr) return RPC_E_DISCONNECTED;
  if (child == nullptr) return E_POINTER;
  POINT at{x, y};
  ScreenToClient(grid_->Handle(), &at);
  RECT client;
  GetClientRect(grid_->Handle(), &client);
  if (!PtInRect(&client, at)) return AnswerNothing(child);
  const int row = grid_->RowAt(at.y);
  if (row < 0) return AnswerNumber(CHILDID_SELF, child);
  *child = RowObject(row);
  return child->vt == VT_DISPATCH ? S_OK : AnswerNumber(CHILDID_SELF, child);
}

}  // namespace kestrilo::win32
