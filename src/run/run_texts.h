#pragma once
// The texts that open and close the jobs, exactly as the window shows them;
// the command line shows the same ones.

namespace kestrilo::texts {

inline constexpr char kStop[] = "中止";
inline constexpr char kStart[] = "調査開始";
inline constexpr char kSearching[] = "ファイルを検索しています";
inline constexpr char kChecking[] = "重複ファイルのチェックを行います";
inline constexpr char kStoppedBefore[] = "中止しました ";
inline constexpr char kStoppedAfter[] = " ファイル格納しています";
inline constexpr char kUnknownFailure[] = "不明なエラーで処理を終了しました";
inline constexpr char kOutOfMemory[] = "メモリが不足したため処理を終了しました";
inline constexpr char kOutOfResources[] = "システムの資源が不足したため処理を終了しました: ";

}  // namespace kestrilo::texts
