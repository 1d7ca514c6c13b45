#pragma once
// Boards, clubs and circles, served after the walk on the patrol thread: the walk only
// remembers them, and when it has passed the last place every club is served, then every
// circle, then every board, each in the order the walk met them.
//
// A board is reached by its host path (the generic screen handler answers its password); a
// club or circle from the host's club menu ("JCLUB") by its code, with the password kept in
// the place's code field. The banner "＊＊＊＊　name　＊＊＊＊" renames the place when the
// host calls it otherwise. Inside, as in a forum room: the posts written offline go first,
// then, under "毎回読む", the new messages are read from the stored last-read number and the
// host is handed back the number of the last message stored whole ("SC"). A place that
// cannot be entered (wrong code or password, no contract) ends only that place.

#include <vector>

#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"

namespace morvaline {

class CTolDoc;

class BoardService final : public PlaceService {
public:
    // Actions of a board's, club's or circle's reservation.
    static constexpr int kListTitles = 0x01;  // "一覧の取得"
    static constexpr int kReadNew = 0x02;     // "毎回読む"

    BoardService(CPatrolEngine& engine, CTolDoc& doc);

    bool serves(int kind) const override;
    // Remembered for the end of the walk.
    void reach(int place, PatrolWalk& walk) override;
    void afterWalk(PatrolWalk& walk) override;

private:
    enum class Entry {
        In,      // at the place's prompt
        Failed,  // this place cannot be entered (reported); the others go on
        Stopped, // the run is over
    };
    Entry ServeBoard(int place);
    Entry ServeClubOrCircle(int place);
    // The banner's title becomes the place's name when it differs.
    void takeBanner(int place, std::string_view screen);
    // Inside the place: posts, then the new messages. False when the run is over.
    bool serveInside(int place, int actions);
    bool postReserved(int place);
    bool readNew(int place);

    CPatrolEngine& engine_;
    CTolDoc& doc_;
    std::vector<int> clubs_, circles_, boards_;
    bool atClubMenu_ = false;  // the host shows the club menu, where codes are typed
};

}  // namespace morvaline
