#pragma once
// The status texts the engine writes, exactly as the window shows them.

namespace kestrilo::texts {

inline constexpr char kTooLarge[] = " サイズが大きいので処理対象外";
inline constexpr char kZeroSize[] = " サイズゼロのファイルは対象外";
inline constexpr char kFileInCloud[] = " クラウド上のファイルは対象外";
inline constexpr char kFolderInCloud[] = " クラウド上のフォルダは対象外";
inline constexpr char kMd5Error[] = " MD5 取得エラー";
inline constexpr char kAddHashError[] = " AddHash error";
inline constexpr char kListError[] = " フォルダ一覧取得エラー";
inline constexpr char kGroupsFound[] = " 種類の同一ファイルが見つかりました";
inline constexpr char kNoDuplicatesFound[] = "重複ファイルは見つかりませんでした";
inline constexpr char kStopped[] = "中止しました ";
inline constexpr char kNoCandidates[] = "重複ファイルは有りません";

}  // namespace kestrilo::texts
