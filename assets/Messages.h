#pragma once
// The fixed texts that form loading reports; the application shows them to the user unchanged.

namespace nyarumi {

inline constexpr const char* MSG_RESOURCE_NOT_FOUND = "%s リソースが見つかりません";
inline constexpr const char* MSG_INVALID_IMAGE = "不正なイメージ リスト";
inline constexpr const char* MSG_CLASS_NOT_FOUND = "クラス %s が見つかりません";
inline constexpr const char* MSG_UNKNOWN_PROPERTY = "プロパティが存在しません";
inline constexpr const char* MSG_INVALID_PROPERTY_VALUE = "不正なプロパティの値です";
inline constexpr const char* MSG_READ_ERROR = "ストリームからの読み込みエラー";
inline constexpr const char* MSG_INVALID_BITMAP = "ビットマップイメージが不正です";
inline constexpr const char* MSG_PROPERTY_ERROR = "%s%s%s の読み込み中のエラー : %s";

} // namespace nyarumi
