#include "settings/CTextTable.h"

namespace {

struct TextPair {
    const char* japanese;
    const char* english;
};

// Table order follows TextId. Dialog labels carry the built-in Japanese texts of the dialogs.
const TextPair kTexts[T_TEXT_COUNT] = {
    {"ファイル(&F)", "&File"},                                    // T_MENU_FILE
    {"編集(&E)", "&Edit"},                                        // T_MENU_EDIT
    {"移動/検索(&M)", "&Jump/Search"},                            // T_MENU_JUMP
    {"表示(&D)", "&View"},                                        // T_MENU_VIEW
    {"設定(&O)", "&Option"},                                      // T_MENU_OPTION
    {"マクロ（&M)", "&Macro"},                                    // T_MENU_MACRO
    {"ヘルプ(&H)", "&Help"},                                      // T_MENU_HELP
    {"新規作成(&N)", "&New"},                                     // T_NEW
    {"開く(&O)", "&Open"},                                        // T_OPEN
    {"上書き保存(&S)", "&Save"},                                  // T_SAVE
    {"名前を付けて保存(&A)", "Save &As"},                         // T_SAVE_AS
    {"シンボル再読み込み(&R)", "&Reload Symbol"},                 // T_RELOAD_SYMBOL
    {"シンボル読み込み(&L)", "&Load Symbol"},                     // T_LOAD_SYMBOL
    {"印刷(&P)", "&Print"},                                       // T_PRINT
    {"印刷プレビュー(&V)", "Print Pre&View"},                     // T_PRINT_PREVIEW
    {"プリンタの設定(&R)", "Printe&r Setting"},                   // T_PRINTER_SETTING
    {"終了(&X)", "e&Xit"},                                        // T_EXIT
    {"書き込み(&W)", "&Write"},                                   // T_WRITE
    {"切り取り(&T)", "Cu&t"},                                     // T_CUT
    {"コピー(&C)", "&Copy"},                                      // T_COPY
    {"貼り付け(&P)", "&Paste"},                                   // T_PASTE
    {"アンドゥ(&U)", "&Undo"},                                    // T_UNDO
    {"リドゥ(&R)", "&Redo"},                                      // T_REDO
    {"すべて選択(&A)", "Select &All"},                            // T_SELECT_ALL
    {"指定アドレスへ移動(&J)", "&Jump to"},                       // T_JUMP_TO
    {"先頭へ移動(&T)", "Jump &Top"},                              // T_JUMP_TOP
    {"末尾へ移動(&E)", "Jump &End"},                              // T_JUMP_END
    {"マーク設定/解除(&M)", "Add/Remove &Mark"},                  // T_ADD_REMOVE_MARK
    {"次のマーク(&N)", "&Next Mark"},                             // T_NEXT_MARK
    {"前のマーク(&P)", "&Prev Mark"},                             // T_PREV_MARK
    {"全マーク解除(&R)", "&Remove All Mark"},                     // T_REMOVE_ALL_MARK
    {"検索(&S)", "&Search"},                                      // T_SEARCH
    {"後方検索(&B)", "&Backward Search"},                         // T_BACKWARD_SEARCH
    {"前方検索(&F)", "&Forward Search"},                          // T_FORWARD_SEARCH
    {"置換(&R)", "&Replace"},                                     // T_REPLACE
    {"シンボル検索(&Y)", "s&Ymbol Search"},                       // T_SYMBOL_SEARCH
    {"シンボル後方検索", "Symbol Backward Search"},               // T_SYMBOL_BACKWARD_SEARCH
    {"シンボル前方検索", "Symbol Forward Search"},                // T_SYMBOL_FORWARD_SEARCH
    {"オフセットジャンプ(&O)", "&Offset Jump"},                   // T_OFFSET_JUMP
    {"1バイト絶対", "1byte Abs"},                                 // T_1BYTE_ABS
    {"2バイト絶対", "2byte Abs"},                                 // T_2BYTE_ABS
    {"4バイト絶対", "4byte Abs"},                                 // T_4BYTE_ABS
    {"1バイト相対", "1byte Relative"},                            // T_1BYTE_RELATIVE
    {"2バイト相対", "2byte Relative"},                            // T_2BYTE_RELATIVE
    {"4バイト相対", "4byte Relative"},                            // T_4BYTE_RELATIVE
    {"他のKIVRANと比較(&C)", "&Compare another KIVRAN"},          // T_COMPARE_ANOTHER
    {"不一致データを解除(&T)", "Reset defferent data"},           // T_RESET_DIFFERENT
    {"次の不一致データ(&H)", "Jump to next different data"},      // T_NEXT_DIFFERENT
    {"バイトオーダー", "Byte Order"},                             // T_BYTE_ORDER
    {"リトルエンディアン(&L)", "&Little Endian"},                 // T_LITTLE_ENDIAN
    {"ビッグエンディアン(&B)", "&Big Endian"},                    // T_BIG_ENDIAN
    {"アドレス", "Address"},                                      // T_ADDRESS_MENU
    {"16進(&H)", "&Hex"},                                         // T_HEX_ADDRESS
    {"10進(&D)", "&Dec"},                                         // T_DEC_ADDRESS
    {"文字セット", "Character set"},                              // T_CHARACTER_SET
    {"Shift-JIS", "ASCII"},                                       // T_CHARSET_SJIS
    {"Unicode", "Unicode"},                                       // T_CHARSET_UNICODE
    {"ツールバー(&T)", "&ToolBar"},                               // T_TOOLBAR
    {"数値バー(&N)", "&NumericBar"},                              // T_NUMERICBAR
    {"ステータスバー(&S)", "&StatusBar"},                         // T_STATUSBAR
    {"2画面表示(&2)", "&2-Window"},                               // T_2_WINDOW
    {"画面切り替え(&C)", "&Change Window"},                       // T_CHANGE_WINDOW
    {"オプション(&O)", "&Option"},                                // T_OPTION
    {"高速入力(&H)", "Fast &Input"},                              // T_FAST_INPUT
    {"マクロ実行(&E)", "&Execute Macro"},                         // T_EXECUTE_MACRO
    {"マクロヘルプ(&M)", "&Macro Help"},                          // T_MACRO_HELP
    {"ヘルプ(&H)", "&Help"},                                      // T_HELP
    {"バージョン情報(&V)", "&Version"},                           // T_VERSION
    {"サイズ", "Size"},                                           // T_GROUP_SIZE
    {"型", "Type"},                                               // T_GROUP_TYPE
    {"バージョン情報(KIVRAN)", "Version(KIVRAN)"},                // T_DLG_VERSION_TITLE
    {"アドレスジャンプ", "Jump Address"},                         // T_DLG_JUMP_ADDRESS
    {"アドレス指定", "Specify Address"},                          // T_DLG_SPECIFY_ADDRESS
    {"データ", "Data"},                                           // T_DLG_DATA
    {"アドレス", "Address"},                                      // T_DLG_ADDRESS
    {"ヘッダー", "Header"},                                       // T_DLG_HEADER
    {"選択", "Select"},                                           // T_DLG_SELECT
    {"マーク", "Mark"},                                           // T_DLG_MARK
    {"文字", "Char"},                                             // T_DLG_CHAR
    {"背景", "Back"},                                             // T_DLG_BACK
    {"フォント", "Font"},                                         // T_DLG_FONT
    {"浮動小数点の精度", "Precision of float"},                   // T_DLG_PRECISION_OF_FLOAT
    {"強調表示データ", "Strong Data"},                            // T_DLG_STRONG_DATA
    {"追加", "Add"},                                              // T_DLG_ADD
    {"削除", "Del"},                                              // T_DLG_DEL
    {"編集", "Edit"},                                             // T_DLG_EDIT
    {"相違データ", "Different data"},                             // T_DLG_DIFFERENT_DATA
    {"削除時に確認する", "Message on Delete"},                    // T_DLG_MESSAGE_ON_DELETE
    {"編集可能な最大ファイルサイズ", "Max File Size to Edit"},    // T_DLG_MAX_FILE_SIZE
    {"アンドゥ用最大メモリサイズ", "Max Undo Memory Size"},       // T_DLG_MAX_UNDO_SIZE
    {"レジストリを使う", "Use Registry"},                         // T_DLG_USE_REGISTRY
    {"マクロファイルのディレクトリ", "Macro File Directory"},     // T_DLG_MACRO_DIRECTORY
    {"参照", "Browse"},                                           // T_DLG_BROWSE
    {"マクロディレクトリの指定", "Select Macro Directory"},       // T_DLG_SELECT_MACRO_DIRECTORY
    {"ダイナミックマーク", "Dynamic Mark"},                       // T_DLG_DYNAMIC_MARK
    {"メインモード", "Main Mode"},                                // T_DLG_MAIN_MODE
    {"ファイル", "File"},                                         // T_DLG_FILE
    {"DLL", "DLL"},                                               // T_DLG_DLL
    {"メモリマップトファイル", "Memory Mapped File"},             // T_DLG_MEMORY_MAPPED_FILE
    {"更新周期", "Elapse Cycle"},                                 // T_DLG_ELAPSE_CYCLE
    {"DLLモード", "DLL Mode"},                                    // T_DLG_DLL_MODE
    {"DLLファイル名", "DLL Filename"},                            // T_DLG_DLL_FILENAME
    {"読み込み関数名", "Read Func Name"},                         // T_DLG_READ_FUNC_NAME
    {"書き込み関数名", "Write Func Name"},                        // T_DLG_WRITE_FUNC_NAME
    {"メモリサイズ", "Memory Size"},                              // T_DLG_MEMORY_SIZE
    {"シンボルファイル", "Symbole File"},                         // T_DLG_SYMBOL_FILE
    {"メモリマップトファイル名", "Memory Mapped File Name"},      // T_DLG_MMF_NAME
    {"ミューテックス名", "Mutex Name"},                           // T_DLG_MUTEX_NAME
    {"一般", "General"},                                          // T_DLG_GENERAL
    {"表示", "View"},                                             // T_DLG_VIEW
    {"重要", "Important"},                                        // T_DLG_IMPORTANT
    {"オプション", "Option"},                                     // T_DLG_OPTION
    {"データ入力", "Data Input"},                                 // T_DLG_DATA_INPUT
    {"入力モード", "Input Mode"},                                 // T_DLG_INPUT_MODE
    {"オフセット", "Offset"},                                     // T_DLG_OFFSET
    {"検索", "Search"},                                           // T_DLG_SEARCH
    {"検索データ", "Search Data"},                                // T_DLG_SEARCH_DATA
    {"データ型", "Data Type"},                                    // T_DLG_DATA_TYPE
    {"前方", "Forward"},                                          // T_DLG_FORWARD
    {"後方", "Backward"},                                         // T_DLG_BACKWARD
    {"先頭へ", "Jump Top"},                                       // T_DLG_JUMP_TOP
    {"末尾へ", "Jump End"},                                       // T_DLG_JUMP_END
    {"シンボル検索", "Search Symbol"},                            // T_DLG_SEARCH_SYMBOL
    {"シンボル名", "Symbol Name"},                                // T_DLG_SYMBOL_NAME
    {"大文字小文字を区別", "Caps"},                               // T_DLG_CAPS
    {"部分一致を許す", "Allow part match"},                       // T_DLG_ALLOW_PART_MATCH
    {"置換", "Replace"},                                          // T_DLG_REPLACE
    {"置換データ", "Replace Data"},                               // T_DLG_REPLACE_DATA
    {"すべて", "All"},                                            // T_DLG_ALL
    {"範囲内置換", "Part Rep"},                                   // T_DLG_PART_REP
    {"キー割り当て", "Keycode"},                                  // T_DLG_KEYCODE
    {"現在のキー", "Current keycode"},                            // T_DLG_CURRENT_KEYCODE
    {"強調表示データの追加/編集", "Add/Edit Strong Data"},        // T_DLG_ADD_EDIT_STRONG_DATA
    {"下位 <-> 上位", "Lower <-> Upper"},                         // T_DLG_LOWER_UPPER
    {"文字", "Text"},                                             // T_DLG_TEXT
    {"背景", "Background"},                                       // T_DLG_BACKGROUND
    {"最大4バイト", "Maximus 4 bytes"},                           // T_DLG_MAXIMUS_4_BYTES
    {"ワイルドカード * が使えます", "Wild card * is acceptable"}, // T_DLG_WILDCARD
    {"例", "Ex."},                                                // T_DLG_EX
    {"プレビュー", "Preview"},                                    // T_DLG_PREVIEW
    {"印刷", "Print"},                                            // T_DLG_PRINT
    {"次", "Next"},                                               // T_DLG_NEXT
    {"前", "Prev"},                                               // T_DLG_PREV
    {"ジャンプ", "Jump"},                                         // T_DLG_JUMP
    {"拡大", "Zoom in"},                                          // T_DLG_ZOOM_IN
    {"縮小", "Zoom out"},                                         // T_DLG_ZOOM_OUT
    {"レイアウト", "Layout"},                                     // T_DLG_LAYOUT
    {"行間", "Between line"},                                     // T_DLG_BETWEEN_LINE
    {"余白", "Margin"},                                           // T_DLG_MARGIN
    {"上", "top"},                                                // T_DLG_TOP
    {"下", "bottom"},                                             // T_DLG_BOTTOM
    {"左", "left"},                                               // T_DLG_LEFT
    {"右", "right"},                                              // T_DLG_RIGHT
    {"閉じる", "Close"},                                          // T_DLG_CLOSE
    {"ページジャンプ", "Page Jump"},                              // T_DLG_PAGE_JUMP
    {"先頭ページ", "Top page"},                                   // T_DLG_TOP_PAGE
    {"最終ページ", "Last page"},                                  // T_DLG_LAST_PAGE
    {"指定ページ", "Specified Page"},                             // T_DLG_SPECIFIED_PAGE
    {"アドレス(16進)", "Address (HEX)"},                          // T_DLG_ADDRESS_HEX
    {"他のKIVRANと比較", "Compare another KIVRAN"},               // T_DLG_COMPARE_ANOTHER
    {"開始位置", "Start position"},                               // T_DLG_START_POSITION
    {"先頭から", "From top"},                                     // T_DLG_FROM_TOP
    {"カーソル位置から", "From cursor"},                          // T_DLG_FROM_CURSOR
    {"色を付ける", "Put color"},                                  // T_DLG_PUT_COLOR
    {"他のKIVRANと比較中", "Comparing another KIVRAN"},           // T_DLG_COMPARING_ANOTHER
    {"ノンストップ", "Non stop"},                                 // T_DLG_NON_STOP
    {"16進", "HEX"},                                              // T_IN_HEX
    {"符号付き10進(1Byte)", "char"},                              // T_IN_CHAR
    {"符号なし10進(1Byte)", "unsigned char"},                     // T_IN_UCHAR
    {"符号付き10進(2Bytes)", "short"},                            // T_IN_SHORT
    {"符号なし10進(2Bytes)", "unsigned short"},                   // T_IN_USHORT
    {"符号付き10進(4Bytes)", "long"},                             // T_IN_LONG
    {"符号なし10進(4Bytes)", "unsigned long"},                    // T_IN_ULONG
    {"浮動小数点(4Bytes)", "float(4 bytes)"},                     // T_IN_FLOAT
    {"浮動小数点(8Byte)", "double(8 bytes)"},                     // T_IN_DOUBLE
    {"テキスト", "Text"},                                         // T_IN_TEXT
    {"ビット", "Bit"},                                            // T_IN_BIT
    {"上書き", "Overwite"},                                       // T_MODE_OVERWRITE
    {"挿入", "Insert"},                                           // T_MODE_INSERT
    {"中断", "STOP"},                                             // T_STOP
    {"ｶｰｿﾙ移動", "Cursor"},                                       // T_KEY_GROUP_CURSOR
    {"左", "Left"},                                               // T_KEY_LEFT
    {"右", "Right"},                                              // T_KEY_RIGHT
    {"上", "Up"},                                                 // T_KEY_UP
    {"下", "Down"},                                               // T_KEY_DOWN
    {"行先頭", "Line Home"},                                      // T_KEY_LINE_HOME
    {"行末尾", "Line End"},                                       // T_KEY_LINE_END
    {"前ページ", "Prev Page"},                                    // T_KEY_PREV_PAGE
    {"次ページ", "Next Page"},                                    // T_KEY_NEXT_PAGE
    {"2ページ表示", "2 Pages"},                                   // T_PREVIEW_2_PAGES
    {"1ページ表示", "1　Page"},                                   // T_PREVIEW_1_PAGE
    {"キャンセル", "Cancel"},                                     // T_CANCEL
    {"指定なし", "Not specified"},                                // T_NOT_SPECIFIED
    {"ファイルの読み込みができません。", "Cannot read file"},     // T_MSG_CANNOT_READ_FILE
    {"このファイルは使用中です。閲覧モードで開きます。",
     "This file is used by another process. Open it view mode"}, // T_MSG_FILE_IN_USE
    {"設定されている上限よりファイルサイズが大きいのでメモリーに転送しません。\n編集はできません。",
     "Size of this file is over Max specified in option. Open it view mode."}, // T_MSG_FILE_TOO_LARGE
    {"変な文字があります", "Find illegal charactor"},                          // T_MSG_ILLEGAL_CHARACTER
    {"文字数が多すぎます", "Too many charactor"},                              // T_MSG_TOO_MANY_CHARACTERS
    {"範囲を越えています", "Over range"},                                      // T_MSG_OVER_RANGE
    {"書き込みできませんでした。", "cannot write"},                            // T_MSG_CANNOT_WRITE
    {"削除しますか？", "Really delete it ?"},                                  // T_MSG_REALLY_DELETE
    {"メモリーが取得できませんでした。ごめん。", "Cannot allocate memory"},    // T_MSG_CANNOT_ALLOCATE
    {"初めて使う人は、GIFファイルかビットマップをドロップし、\nSYMBOLボタンをｸﾘｯｸしてみてね。\n面白いものが見"
     "えるよ。",
     "Drag & drop GIF or JPG file.\nYou will see miracle."}, // T_MSG_FIRST_START
    {"変更を保存しますか？", "Save changes ?"},              // T_MSG_SAVE_CHANGES
    {"ファイルの指定", "Select File"},                       // T_MSG_SELECT_FILE
    {"シンボルファイルの指定", "Select Symbol File"},        // T_MSG_SELECT_SYMBOL_FILE
    {"マクロファイルの指定", "Select Macro File"},           // T_MSG_SELECT_MACRO_FILE
    {"置換個数 : ", "Replaced : "},                          // T_MSG_REPLACED
    {"強調表示を削除します。: ", "Delete : "},               // T_MSG_DELETE_STRONG
    {"違いはありませんでした", "Found no difference"},       // T_MSG_NO_DIFFERENCE
    {"比較に失敗しました", "Fail to compare"},               // T_MSG_FAIL_TO_COMPARE
    {"変更が大きすぎてアンドゥの記録が取れません。この変更は元に戻せません。",
     "The change is too large to record for Undo. It cannot be undone."}, // T_MSG_UNDO_STEP_DROPPED
    {"選択範囲が大きすぎてコピーできません。", "The selection is too large to copy."}, // T_MSG_COPY_TOO_LARGE
    {"コピーしています...", "Copying..."},                                             // T_MSG_COPYING
    {"このファイルの復旧用のコピーがあります。開きますか？",
     "A recovery copy of this file exists. Open it?"}, // T_MSG_RECOVERY_OFFER
    {"ページにデータの行が入りません。印刷フォントかマージンを小さくしてください。",
     "No data row fits on the page. Make the print font or the margins smaller."}, // T_MSG_PAGE_NO_ROOM
    {"PDFファイルに印刷", "Print to PDF file"},                                    // T_MSG_PRINT_TO_PDF
    {"印刷できませんでした。", "Printing failed."},                                // T_MSG_PRINT_FAILED
    {"設定ファイル:", "Settings file:"},                                           // T_MSG_SETTINGS_FILE
};

int g_language = 0;

} // namespace

int CTextTable::Language() {
    return g_language;
}

void CTextTable::SetLanguage(int language) {
    g_language = language == 1 ? 1 : 0;
}

std::string CTextTable::Text(TextId id) {
    return Text(id, g_language);
}

std::string CTextTable::Text(TextId id, int language) {
    if (id < 0 || id >= T_TEXT_COUNT) {
        return std::string();
    }
    return language == 1 ? kTexts[id].english : kTexts[id].japanese;
}

std::string CTextTable::Japanese(TextId id) {
    return Text(id, 0);
}

std::string CTextTable::English(TextId id) {
    return Text(id, 1);
}

bool CTextTable::IsDialogLabel(TextId id) {
    return id >= T_DLG_VERSION_TITLE && id <= T_DLG_NON_STOP;
}
