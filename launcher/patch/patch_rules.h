#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kiln/crypt/signature.h"

// What the auto-patcher decides and writes without a window: names and paths of its working
// files, the Update.ini text, and the choices of its states.
namespace Launcher::Patch {

// The dialog's timer, its periods, and how long the patch response's status line may take.
constexpr unsigned kTimerId = 277;
constexpr unsigned kStartPeriodMs = 500;
constexpr unsigned kInformationWaitMs = 2000;
constexpr unsigned kDownloadPeriodMs = 16;
// How often the line under the bar is written anew.
constexpr unsigned kDetailPeriodMs = 250;
constexpr unsigned kStatusWaitMs = 10000;
// After the patch program has ended, how long its working folder may refuse its removal.
constexpr unsigned kFolderSettleMs = 2000;

// The information and its signature are read whole: a server that sends more is refused
// before the body is kept.
constexpr uint32_t kMaxInformationBytes = 1 << 20;
constexpr uint32_t kMaxSignatureBytes = 4 << 10;

constexpr char kWorkingFolderName[] = "TavoriUpdater";
constexpr char kUpdateIniName[] = "Update.ini";

// <documents>\TavoriUpdater\ (with the trailing backslash).
std::string WorkingFolder(const std::string& documents);
// <documents>\TavoriUpdater\<name>.
std::string WorkingFilePath(const std::string& documents, const std::string& name);
// The folder part of a path, up to and including its last backslash ("" without one).
std::string FolderOf(const std::string& path);

// The server's file: the base URL followed directly by the name (no separator added).
std::string ServerFileURL(const std::string& baseURL, const std::string& fileName);
// PatchFilePrefix with the target version as %1%. A pattern without exactly that one
// placeholder is a configuration error: boost::io::format_error is thrown.
std::string PatchFileName(const std::string& patchFilePrefix, const std::string& version);

// A version enters the patch file's name, its path in the working folder and its URL: only
// letters, digits and "._-+()" are taken, with no ".." and at most 64 characters.
bool IsPlainVersion(std::string_view version);

// A file name that stays in its folder on Windows: no separators, colons, wildcards, control
// characters or "..", not a device name (CON, NUL, COM1, ... also with an extension), no
// trailing dot or space.
bool IsPlainFileName(std::string_view name);

// The Update.ini that tells the patch program where to write and the clean-up what to remove.
std::string UpdateIniText(const std::string& targetDirectory, const std::string& patchFilePath,
                          const std::string& updateIniPath, const std::string& workingFolder);

// 2xx.
bool IsSuccessStatus(uint32_t statusCode);

// State 1 with the update information requested from server `serverIndex`.
enum class InformationStep {
    Evaluate,        // it arrived: read it
    NextServer,      // ask the next server (its index is serverIndex + 1)
    AllServersFailed,
};
InformationStep DecideInformationStep(bool finished, uint32_t statusCode, size_t serverIndex, size_t serverCount);

// [Updater] UpdatePublicKey. Absent or empty: the information is taken unsigned, as servers
// without signatures serve it. Malformed: the patcher refuses to run, so that a typo never
// turns the check off.
struct UpdateKey {
    enum class Kind { None, Valid, Malformed };
    Kind kind = Kind::None;
    Kiln::Signature::PublicKey key{};
};
UpdateKey ReadUpdateKey(const std::string& configured);

// The information's signature file beside it on the same server.
std::string SignatureFileName(const std::string& updateInfoFile);

// The information counts only when the signature request ended with 2xx and its body
// verifies over the information's exact bytes.
bool InformationVerifies(const Kiln::Signature::PublicKey& key, bool signatureFinished, uint32_t signatureStatus,
                         std::string_view signatureBody, std::string_view information);

// Progress bar position 0 to 100, truncated; null while the size is unknown (UINT64_MAX).
std::optional<int> ProgressPosition(uint64_t receivedSize, uint64_t contentSize);

// The downloaded body's MD5 (lower-case hex) against the entry's digest in any case.
bool DigestMatches(const std::string& computedLowerHex, const std::string& entryDigest);

// Message texts, captions and status lines. "%1%" texts are positional templates; the
// "updated" text takes the version in a printf-style "%s".
namespace Text {
inline constexpr char kFetchError[] = "取得エラー";
inline constexpr char kNoServers[] = "アップデート情報が定義されていませんでした。";
inline constexpr char kCannotDownload[] = "ファイル[%1%]をダウンロードできませんでした";
inline constexpr char kVersionUnknown[] = "バージョン情報が取得出来ませんでした";
inline constexpr char kAlreadyLatest[] = "お使いのバージョンが最新バージョンです";
inline constexpr char kLatestCaption[] = "最新バージョン";
inline constexpr char kDigestMismatch[] = "ダウンロードに失敗しました\n再度ダウンロードをお試しください";
inline constexpr char kDigestMismatchCaption[] = "ファイル破損";
inline constexpr char kLauncherRestart[] = "ランチャーの更新があるためランチャーを再起動します";
inline constexpr char kLauncherRestartCaption[] = "ランチャー再起動";
inline constexpr char kCannotRun[] = "パッチ処理が実行出来ませんでした\n再度ダウンロードをお試しください";
inline constexpr char kCannotRunCaption[] = "パッチ処理失敗";
inline constexpr char kUpdated[] = "バージョン[%s]に更新されました。\n更に新しいパッチが存在するか続けて確認します。";
inline constexpr char kUpdatedCaption[] = "パッチ処理完了";
inline constexpr char kInterrupted[] = "パッチ処理が中断されました";
inline constexpr char kInterruptedCaption[] = "パッチ処理中断";
inline constexpr char kBadPublicKey[] = "アップデート情報の公開鍵(UpdatePublicKey)が正しくありません。";
inline constexpr char kBadPublicKeyCaption[] = "設定エラー";
inline constexpr char kNotVerified[] = "アップデート情報の署名を確認できませんでした";
inline constexpr char kNotVerifiedCaption[] = "署名エラー";
inline constexpr char kOutOfDate[] = "アップデート情報が古いか、有効期限が切れています";
inline constexpr char kOutOfDateCaption[] = "取得エラー";
inline constexpr char kDownloading[] = "[%1%]をダウンロード中....";
inline constexpr char kVerifying[] = "[%1%]を照合中....";
}  // namespace Text

// The "updated" message for a version (its "%s" filled as printf would).
std::string UpdatedMessage(const std::string& version);

}  // namespace Launcher::Patch
