#include "data/DataMessage.h"

std::string DataMessageText(DataMessage message, int language) {
    bool english = language == 1;
    switch (message) {
    case DataMessage::CannotReadFile:
        return english ? "Cannot read file" : "ファイルの読み込みができません。";
    case DataMessage::FileInUseViewMode:
        return english ? "This file is used by another process. Open it view mode"
                       : "このファイルは使用中です。閲覧モードで開きます。";
    case DataMessage::FileTooLargeViewMode:
        return english ? "Size of this file is over Max specified in option. Open it view mode."
                       : "設定されている上限よりファイルサイズが大きいのでメモリーに転送しません。\n編集はで"
                         "きません。";
    case DataMessage::CannotWrite:
        return english ? "cannot write" : "書き込みできませんでした。";
    case DataMessage::FailToLoadDll:
        // The library messages read the same in both languages.
        return "Fail to Load DLL:";
    case DataMessage::FailToLoadFunction:
        return "Fail to Load Function:";
    }
    return std::string();
}

std::string DataNoticeText(const DataNotice& notice, int language) {
    return DataMessageText(notice.message, language) + notice.argument;
}
