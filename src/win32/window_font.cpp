#include "win32/window_font.h"

#include <cwchar>

namespace kestrilo::win32 {

namespace {

// In order of preference: the face itself, then faces with its metrics.
constexpr const wchar_t* kFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"MS UI Gothic"};

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(HDC dc, const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

LOGFONTW WindowLogFont() {
  LOGFONTW font{};
  font.lfHeight = -12;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  // Without any of them the font mapper picks a Shift-JIS face for the first.
  const wchar_t* face = kFaces[0];
  HDC dc = GetDC(nullptr);
  for (const wchar_t* candidate : kFaces) {
    if (FaceInstalled(dc, candidate)) {
      face = candidate;
      break;
    }
  }
  ReleaseDC(nullptr, dc);
  wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

}  // namespace kestrilo::win32
