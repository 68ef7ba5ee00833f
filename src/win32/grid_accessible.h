#pragma once
// The result grid as screen readers and magnifiers read it (MSAA's
// IAccessible, which UI Automation reads through its proxy as well): a table
// whose children are its rows, the header row first, each row named by its
// four texts as the grid shows them and holding them as its four cells. A
// row's object is made when a reader asks for it, so a million rows cost
// nothing until they are read. The current row is the focused one while the
// grid has the keyboard focus, and the selection the grid shows is reported
// row by row.
//
// Every call comes on the grid's thread (COM calls a single-threaded
// apartment's objects there). The grid owns one reference and disconnects the
// object when it goes; readers that still hold it or its rows then get
// RPC_E_DISCONNECTED.

#include <windows.h>
#include <oleacc.h>

namespace kestrilo::win32 {

class ResultGrid;

// IUnknown, IDispatch without type information, and the parts of IAccessible
// that neither the grid nor its rows have: values, help, shortcuts and
// default actions.
class AccessibleObject : public IAccessible {
 public:
  AccessibleObject() = default;
  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 protected:
  virtual ~AccessibleObject() = default;

 private:
  LONG references_ = 1;
};

class GridAccessible final : public AccessibleObject {
 public:
  // The grid's object, holding one reference for the grid; nothing when
  // there is no memory for it.
  static GridAccessible* Create(ResultGrid& grid);
  // The answer to the grid's WM_GETOBJECT for its client object.
  LRESULT Answer(WPARAM flags);
  // The grid is going: drops the grid's reference; every later call fails.
  void Disconnect();
  // The grid, or nothing once it has gone.
  ResultGrid* Grid() const { return grid_; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;

  // The object of grid row `row` as a VARIANT, or VT_EMPTY when there is no
  // such row or no memory for its object.
  VARIANT RowObject(int row);

 private:
  explicit GridAccessible(ResultGrid& grid) : grid_(&grid) {}
  ~GridAccessible() override;

  ResultGrid* grid_;
  // The system's object for the grid's window: the grid's own parent, place
  // and state come from it.
  IAccessible* standard_ = nullptr;
};

}  // namespace kestrilo::win32
