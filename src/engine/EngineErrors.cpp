#include "engine/EngineErrors.h"

#include "platform/CodePage932.h"

namespace EngineErrors {

namespace {

struct ErrorText {
    const char* english;
    const char* japanese;
};

const ErrorText kTexts[] = {
    {"Normal", "正常です"},
    {"Unknown function", "未定義関数です"},
    {"Illegal operator use", "演算子の不正な使用"},
    {"Devide by zero", "０での除算"},
    {"Unmatched parenthesis", "カッコがあいません"},
    {"Unknown or read-only variable", "未定義変数または書き込み禁止変数です"},
    {"Illegal convertion", "不正な変換\t文字＜－＞数値など"},
    {"Missing \"", "\"の閉じるがありません"},
    {"Illegal parameter type", "関数のパラメータの型が不正です"},
    {"Missing ;(eob)", ";がありません"},
    {"Cannot register variable", "変数の登録ができません"},
    {"Illegal expression", "式の表現に誤りがあります"},
    {"No parenthesis", "カッコがありません"},
    {"Cannot registe typedef", "typedefで型を登録できません"},
    {"Illegal #", "不正な#です"},
    {"Cannot find file", "指定されたファイルがありません"},
    {"Illegal declaration in struct", "struct宣言中に異常があります"},
    {"Cannot regist struct member", "構造体にメンバ登録できませんでした"},
    {"Cannot regist struct", "構造体の登録ができません"},
    {"Illegal character", "不正な文字です"},
    {"Illegal pointer use", "不正なポインタを使いました"},
    {"Illegal string constant", "不正な文字定数です"},
    {"Reached maximun loop", "最大ループ数に達しました"},
    {"cannot read file", "ファイルのデータを読めません。オフセットがオーバーしている可能性があります。"},
    {"Illegal Function Call", "不正な関数呼び出しです"},
    {"Illegal parameter number", "関数のパラメータ数が不正です"},
    {"Return Type Mismatch", "return文の型があいません"},
    {"Illegal Function Prototype", "関数のプロトタイプ宣言に誤りがあります"},
    {"Fail to Register Function", "関数の登録失敗"},
    {"Prototype and Function Mismatch", "関数のプロトタイプと実体の宣言が一致していません"},
    {"Illegal Function Declare", "関数の本体部分の宣言にまちがいがあります"},
    {"Unreachable statemant", "この行にきてはいけません"},
    {"Over string length", "文字列の長さを越えたアクセスをしようとしました"},
    {"Unknown error", "未定義のエラーです"},
};

} // namespace

const char* TextUtf8(int32_t code, int32_t language) {
    if (code < 0 || code > kUnknownError) {
        code = kUnknownError;
    }
    return language == 1 ? kTexts[code].english : kTexts[code].japanese;
}

std::string Text(int32_t code, int32_t language) {
    const char* utf8 = TextUtf8(code, language);
    return language == 1 ? std::string(utf8) : CodePage932::FromUtf8(utf8);
}

} // namespace EngineErrors
