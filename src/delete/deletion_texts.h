#pragma once
// The texts the deletion commands show, exactly as the window shows them.

namespace kestrilo::texts {

inline constexpr char kNotDuplicate[] = "重複ファイルではありません。";
inline constexpr char kNoPartner[] = "重複ファイルが無いため削除できません。";
inline constexpr char kConfirmCaption[] = "削除確認";
inline constexpr char kAskDeleteFile[] = " を削除してもよろしいですか？";
inline constexpr char kFileDeleted[] = " を削除しました";
inline constexpr char kFileNotDeleted[] = " が削除できませんでした";
inline constexpr char kAskDeleteBelowPath[] = "\nこのパス配下の重複ファイルを削除してもよろしいですか？";
inline constexpr char kAskDeleteOnDrive[] = "\nこのドライブ配下の重複ファイルを削除してもよろしいですか？";
inline constexpr char kNetworkDriveRefused[] = "ネットワークドライブ等は指定できません。";
inline constexpr char kFilesDeleted[] = " 個のファイルを削除しました。";

}  // namespace kestrilo::texts
