// Query benchmarks: a data set with a large forum room and internet mails, and the query
// over it; the peers (ripgrep, grep) search the same text files.

#include <cstdio>
#include <random>
#include <string>

#include "bench_commands.h"
#include "message/base64.h"
#include "message/iso2022jp.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "tools/query.h"

namespace morvaline::bench {
namespace {

constexpr const char* kUser = "MVLBENCH";
// Places of a new user's tree: received mail, and the folder of the SIGs.
constexpr int kMailPlace = 2;
constexpr int kSigFolder = 5;

struct DataSet {
    Registry registry;
    std::unique_ptr<CTolDoc> doc;
    explicit DataSet(const std::string& base) : registry(std::filesystem::path(base) / "Morvaline.conf") {
        CTolDoc::OpenResult opened = CTolDoc::open({base, kUser, "bench"}, registry);
        if (!opened.doc) throw std::runtime_error(sjisToUtf8(opened.error));
        doc = std::move(opened.doc);
    }
    ~DataSet() { doc->close(); }
};

// Sentences of mixed script, so that the text has every kind of character a forum holds;
// "Linux" is in about one sentence of 50, "障害報告" in one of 1,000.
std::string sentence(std::mt19937& rng) {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> w;
        for (const char* s : {"今日は", "会議室", "ネットワーク", "の設定", "について", "質問です", "ﾒｰﾙ",
                              "ﾊﾝｶｸｶﾅ", "を使って", "ソフトウェア", "が動きません", "。", "、", "ありがとう",
                              "ございます", "version 2.1", "ＡＢＣ", "①", "表示", "予定", "モデム", "通信"})
            w.push_back(sj(s));
        return w;
    }();
    std::string s;
    const int n = 6 + static_cast<int>(rng() % 10);
    for (int i = 0; i < n; ++i) s += words[rng() % words.size()];
    const unsigned rare = rng() % 1000;
    if (rare < 20) s += "Linux";
    if (rare == 999) s += sj("障害報告");
    return s + "\r\n";
}

int storeRoom(CTolDoc& doc, int count, std::mt19937& rng) {
    const int forum = doc.tree().addForum(kSigFolder, "BENCH", "BENCH");
    const int room = doc.tree().add(doc.tree().item(forum).m_nChild, 1, 0, "BENCH", sj("ベンチ会議室"), kind::kRoom, 0);
    OpenedList list(doc, room);
    std::string texts;
    for (int i = 1; i <= count; ++i) {
        std::string text = "#" + std::to_string(i) + "\r\n" + sj("発信者：MVL00002 太郎") + "\r\n";
        for (int l = 0; l < 8; ++l) text += sentence(rng);
        const int index = list->add(0, i, static_cast<int>(texts.size()), "MVL00002",
                                    sj("発言その") + std::to_string(i), kind::kForumMessage, 2, fileTimeNow(), {}, sj("太郎"));
        list->setLength(index, static_cast<int>(text.size()));
        texts += text;
    }
    if (!list->appendText(texts) || !list->save()) throw std::runtime_error("cannot write the room");
    return room;
}

void storeMails(CTolDoc& doc, int count, std::mt19937& rng) {
    OpenedList list(doc, kMailPlace);
    std::string texts;
    for (int i = 1; i <= count; ++i) {
        std::string body;
        for (int l = 0; l < 10; ++l) body += sentence(rng);
        const bool base64 = i % 2 == 0;
        const std::string jis = SjisToJis(body);
        std::string text = sj("発信者：INET#a@example.com Alice") + "\r\n" + sj("文書名：Report") +
                           "\r\n\r\nFrom: a@example.com\r\nMIME-Version: 1.0\r\n"
                           "Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: " +
                           (base64 ? "base64" : "7bit") + "\r\n\r\n" + (base64 ? Base64Encode(jis) : jis) + "\r\n";
        const int index = list->add(0, 0, static_cast<int>(texts.size()), "", "Report " + std::to_string(i),
                                    kind::kReceivedMailMessage, 1, fileTimeNow(), {}, "Alice");
        list->setLength(index, static_cast<int>(text.size()));
        list->setFlags(index, ITEM_FLAG_INTERNET, ITEM_FLAG_INTERNET);
        texts += text;
    }
    if (!list->appendText(texts) || !list->save()) throw std::runtime_error("cannot write the mails");
}

}  // namespace

int queryGen(const Args& args) {
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: morvaline-bench query-gen BASEDIR MESSAGES MAILS\n");
        return 2;
    }
    std::mt19937 rng(7);
    DataSet set(args[0]);
    const int room = storeRoom(*set.doc, std::stoi(args[1]), rng);
    storeMails(*set.doc, std::stoi(args[2]), rng);
    if (!set.doc->save()) return 1;
    // The places' indices (the room's, the mails'), then the files the peers read: the
    // room's list and text files, the mails' text file.
    OpenedList roomList(*set.doc, room), mails(*set.doc, kMailPlace);
    std::printf("%d %d\n%s\n%s\n%s\n", room, kMailPlace, roomList->listFile().c_str(), roomList->textFile().c_str(),
                mails->textFile().c_str());
    return 0;
}

int queryRun(const Args& args) {
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: morvaline-bench query BASEDIR WORD PLACE...   (WORD in UTF-8)\n");
        return 2;
    }
    DataSet set(args[0]);
    QueryParams params;
    params.word = utf8ToSjis(args[1]);
    params.caseSensitive = true;  // as the peers compare
    std::size_t hits = 0;
    // One query per place: each searches its place whole, however many results it finds.
    for (std::size_t i = 2; i < args.size(); ++i) {
        params.startPlace = std::stoi(args[i]);
        Query query(*set.doc);
        if (const auto invalid = query.start(params, {}, fileTimeNow())) {
            std::fprintf(stderr, "%s\n", sjisToUtf8(*invalid).c_str());
            return 1;
        }
        query.wait();
        hits += query.results().size();
    }
    std::printf("%zu\n", hits);
    return 0;
}

}  // namespace morvaline::bench
