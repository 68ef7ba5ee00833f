// Reads the result grid as a screen reader does: from a process of its own,
// through the accessible object that the grid's window gives out for
// OBJID_CLIENT. Writes what it read to OUTPUT in UTF-8, one object a line,
// its fields separated by tabs:
//   table   ROLE  CHILD-COUNT
//   row     CHILD-ID  ROLE  STATE  LEFT  TOP  WIDTH  HEIGHT  NAME
//   cell    CHILD-ID  CELL-ID  ROLE  NAME  DESCRIPTION
//   focus   NAME-OF-THE-FOCUSED-ROW
// ROLE and STATE in decimal, places in screen pixels. Exit status 0 when
// everything could be read.
//
// Usage: accessibility_reader GRID-WINDOW-HANDLE OUTPUT

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string Utf8(const wchar_t* text, int length = -1) {
  if (text == nullptr) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();
  return out;
}

VARIANT Child(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// A text property: "" when the object has none.
template <typename Getter>
std::string Text(Getter get) {
  BSTR text = nullptr;
  if (FAILED(get(&text)) || text == nullptr) return {};
  std::string out = Utf8(text, static_cast<int>(SysStringLen(text)));
  SysFreeString(text);
  return out;
}

long Number(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) {
  VARIANT value;
  VariantInit(&value);
  if (FAILED((object->*get)(Child(id), &value)) || value.vt != VT_I4) return -1;
  return value.lVal;
}

IAccessible* AsAccessible(IDispatch* dispatch) {
  IAccessible* object = nullptr;
  if (dispatch != nullptr) {
    dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object));
    dispatch->Release();
  }
  return object;
}

bool ReadRow(IAccessible* row, long id, std::FILE* out) {
  long left = 0, top = 0, width = 0, height = 0;
  if (FAILED(row->accLocation(&left, &top, &width, &height, Child(CHILDID_SELF)))) return false;
  const std::string name = Text([&](BSTR* text) { return row->get_accName(Child(CHILDID_SELF), text); });
  std::fprintf(out, "row\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%s\n", id, Number(row, &IAccessible::get_accRole, 0),
               Number(row, &IAccessible::get_accState, 0), left, top, width, height, name.c_str());
  long cells = 0;
  if (FAILED(row->get_accChildCount(&cells))) return false;
  for (long cell = 1; cell <= cells; ++cell) {
    const std::string text = Text([&](BSTR* value) { return row->get_accName(Child(cell), value); });
    const std::string description = Text([&](BSTR* value) { return row->get_accDescription(Child(cell), value); });
    std::fprintf(out, "cell\t%ld\t%ld\t%ld\t%s\t%s\n", id, cell, Number(row, &IAccessible::get_accRole, cell),
                 text.c_str(), description.c_str());
  }
  return true;
}

bool ReadTable(IAccessible* table, std::FILE* out) {
  long rows = 0;
  if (FAILED(table->get_accChildCount(&rows))) return false;
  std::fprintf(out, "table\t%ld\t%ld\n", Number(table, &IAccessible::get_accRole, CHILDID_SELF), rows);
  for (long id = 1; id <= rows; ++id) {
    IDispatch* dispatch = nullptr;
    if (table->get_accChild(Child(id), &dispatch) != S_OK) return false;
    IAccessible* row = AsAccessible(dispatch);
    if (row == nullptr) return false;
    const bool read = ReadRow(row, id, out);
    row->Release();
    if (!read) return false;
  }
  VARIANT focus;
  VariantInit(&focus);
  if (table->get_accFocus(&focus) == S_OK && focus.vt == VT_DISPATCH) {
    if (IAccessible* row = AsAccessible(focus.pdispVal)) {
      const std::string name = Text([&](BSTR* text) { return row->get_accName(Child(CHILDID_SELF), text); });
      std::fprintf(out, "focus\t%s\n", name.c_str());
      row->Release();
    }
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: accessibility_reader GRID-WINDOW-HANDLE OUTPUT\n", stderr);
    return 2;
  }
  const auto grid = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[1], nullptr, 10)));
  CoInitialize(nullptr);
  IAccessible* table = nullptr;
  HRESULT result = AccessibleObjectFromWindow(grid, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&table));
  if (FAILED(result) || table == nullptr) {
    std::fprintf(stderr, "no accessible object for the grid (0x%08lx)\n", static_cast<unsigned long>(result));
    return 1;
  }
  std::FILE* out = _wfopen(argv[2], L"wb");
  const bool read = out != nullptr && ReadTable(table, out);
  if (out != nullptr) std::fclose(out);
  table->Release();
  CoUninitialize();
  if (!read) std::fputs("the grid could not be read\n", stderr);
  return read ? 0 : 1;
}
