#!/usr/bin/env python3
"""Writes the demo's game feeds, today's live timeline and manifest.json from the recordings in tests/data.

Run from anywhere: python3 data/demo/generate.py. The output is committed; nothing runs this at build or
test time. Every answer keeps only the members the application reads, so the data set stays small.
"""

import copy
import json
import re
from pathlib import Path

DEMO = Path(__file__).resolve().parent
ROOT = DEMO.parents[1]
DATA = ROOT / "tests" / "data"

# The recorded spring day that becomes today, and its game that is played while the demo runs.
TODAY = "2026-03-18"
LIVE_GAME_PK = 831607
# The live game is joined in progress at this half-inning (0 = top of the 1st), so the first runs come within
# a couple of minutes; then one snapshot per half-inning, this many seconds apart.
FIRST_HALF = 10
STEP_SECONDS = 60

PERSON = {"id": None, "fullName": None}
TEAM = {"id": None, "name": None, "abbreviation": None}
LINESCORE_TEAM = {"runs": None, "hits": None, "errors": None}
INNING_TEAM = {"runs": None, "hits": None, "errors": None, "leftOnBase": None}
POSITION = {"code": None, "name": None, "type": None, "abbreviation": None}
BATTING = dict.fromkeys(["summary", "atBats", "runs", "hits", "rbi", "baseOnBalls", "strikeOuts", "avg"])
PITCHING = dict.fromkeys(
    ["summary", "inningsPitched", "hits", "runs", "earnedRuns", "baseOnBalls", "strikeOuts", "era", "note"])
PLAYER_STATS = {"batting": BATTING, "pitching": PITCHING}
PLAY = {
    "about": dict.fromkeys(["atBatIndex", "halfInning", "inning", "isTopInning"]),
    "result": dict.fromkeys(["event", "eventType", "description", "awayScore", "homeScore"]),
    "matchup": {"batter": PERSON, "pitcher": PERSON},
    "runners": {"details": {"runner": PERSON}},
}
BOX_TEAM = {
    "team": TEAM, "batters": None, "pitchers": None, "bench": None, "bullpen": None,
    "note": {"label": None, "value": None},
    "info": {"title": None, "fieldList": {"label": None, "value": None}},
    "players": {"*": {"person": PERSON, "position": POSITION, "allPositions": POSITION, "battingOrder": None,
                      "stats": PLAYER_STATS, "seasonStats": PLAYER_STATS}},
}
OFFENSE = dict.fromkeys(["batter", "onDeck", "inHole", "pitcher", "first", "second", "third"], PERSON)
FEED = {
    "gamePk": None,
    "gameData": {
        "venue": {"id": None, "name": None},
        "probablePitchers": {"away": PERSON, "home": PERSON},
        "status": {"abstractGameState": None, "detailedState": None},
        "weather": {"condition": None, "temp": None, "wind": None},
        "gameInfo": {"attendance": None, "firstPitch": None, "gameDurationMinutes": None},
        "teams": {"away": TEAM, "home": TEAM},
    },
    "liveData": {
        "linescore": {
            "currentInningOrdinal": None, "inningState": None, "balls": None, "strikes": None, "outs": None,
            "offense": OFFENSE, "defense": {"pitcher": PERSON},
            "teams": {"home": LINESCORE_TEAM, "away": LINESCORE_TEAM},
            "innings": {"num": None, "ordinalNum": None, "home": INNING_TEAM, "away": INNING_TEAM},
        },
        "boxscore": {"teams": {"away": BOX_TEAM, "home": BOX_TEAM},
                     "officials": {"official": PERSON, "officialType": None}},
        "plays": {"allPlays": PLAY, "scoringPlays": None, "currentPlay": PLAY},
        "decisions": {"winner": PERSON, "loser": PERSON, "save": PERSON},
    },
}
SIDE = {"team": {"id": None, "name": None}, "score": None, "probablePitcher": PERSON,
        "leagueRecord": dict.fromkeys(["wins", "losses", "ties", "pct"])}
SCHEDULE = {"dates": {"date": None, "games": {
    "gamePk": None, "gameDate": None, "officialDate": None, "rescheduleDate": None, "rescheduleGameDate": None,
    "status": dict.fromkeys(["abstractGameState", "detailedState", "startTimeTBD", "codedGameState", "statusCode",
                             "reason"]),
    "teams": {"away": SIDE, "home": SIDE},
    "broadcasts": dict.fromkeys(["name", "type", "language", "isNational", "homeAway"]),
    "linescore": {"currentInning": None, "currentInningOrdinal": None, "isTopInning": None,
                  "teams": {"home": LINESCORE_TEAM, "away": LINESCORE_TEAM}},
    "venue": {"id": None, "name": None}, "seriesGameNumber": None, "gamesInSeries": None,
}}}


def pruned(value, schema):
    """The value with only the members the schema names; lists keep their items, "*" stands for any key."""
    if schema is None or value is None:
        return value
    if isinstance(value, list):
        return [pruned(item, schema) for item in value]
    if not isinstance(value, dict):
        return value
    if "*" in schema:
        return {key: pruned(item, schema["*"]) for key, item in value.items()}
    return {key: pruned(value[key], sub) for key, sub in schema.items() if key in value}


def load(path):
    return json.loads(path.read_text(encoding="utf-8-sig"))


def write(path, value):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(json.dumps(value, separators=(",", ":"), ensure_ascii=False) + "\n", encoding="utf-8")


def club_directory():
    """id -> (name, abbreviation, teamName), read from the application's own club directory."""
    source = (ROOT / "src" / "stats" / "teams.cpp").read_text(encoding="utf-8")
    entries = re.findall(r'entry\((\d+), u"([^"]+)", u"([^"]+)", u"([^"]+)"', source)
    return {int(i): (name, abbr, team_name) for i, name, abbr, team_name in entries}


CLUBS = club_directory()


def club(team_id):
    name, abbreviation, _ = CLUBS[team_id]
    return {"id": team_id, "name": name, "abbreviation": abbreviation}


def ordinal(n):
    suffix = "th" if 10 <= n % 100 <= 20 else {1: "st", 2: "nd", 3: "rd"}.get(n % 10, "th")
    return f"{n}{suffix}"


HIT_EVENTS = {"single", "double", "triple", "home_run"}
WALK_EVENTS = {"walk", "intent_walk"}
NOT_AT_BAT = WALK_EVENTS | {"hit_by_pitch", "sac_bunt", "sac_fly", "sac_fly_double_play", "catcher_interf"}


def half_of(play):
    return play["about"]["inning"], play["about"]["halfInning"]


def retarget(feed, game):
    """Moves a recorded feed onto another game: number, clubs, venue and first pitch."""
    feed["gamePk"] = game["gamePk"]
    data = feed["gameData"]
    data["venue"] = pruned(game["venue"], {"id": None, "name": None})
    data.setdefault("gameInfo", {})["firstPitch"] = game["gameDate"]
    for side in ("away", "home"):
        team = club(game["teams"][side]["team"]["id"])
        data["teams"][side] = team
        feed["liveData"]["boxscore"]["teams"][side]["team"] = team


def line_from_plays(plays):
    """Per-inning runs, hits and errors, and totals, from the plays kept so far (errors from fielders' credits)."""
    innings = {}
    totals = {"away": {"runs": 0, "hits": 0, "errors": 0}, "home": {"runs": 0, "hits": 0, "errors": 0}}
    away_score = home_score = 0
    for play in plays:
        inning, half = half_of(play)
        batting = "away" if half == "top" else "home"
        fielding = "home" if batting == "away" else "away"
        row = innings.setdefault(inning, {"num": inning, "ordinalNum": ordinal(inning),
                                          "home": {"hits": 0, "errors": 0}, "away": {"hits": 0, "errors": 0}})
        row[batting].setdefault("runs", 0)
        result = play["result"]
        runs = (result["awayScore"] - away_score) if batting == "away" else (result["homeScore"] - home_score)
        away_score, home_score = result["awayScore"], result["homeScore"]
        row[batting]["runs"] += runs
        totals[batting]["runs"] += runs
        if result["eventType"] in HIT_EVENTS:
            row[batting]["hits"] += 1
            totals[batting]["hits"] += 1
        errors = sum(1 for runner in play.get("runners", []) for credit in runner.get("credits", [])
                     if "error" in credit["credit"])
        row[fielding]["errors"] += errors
        totals[fielding]["errors"] += errors
    return [innings[n] for n in sorted(innings)], totals


def box_stats(plays):
    """Batting and pitching lines of everyone who appeared in the plays so far."""
    batting, pitching = {}, {}
    outs_before = 0
    last_half = None
    for play in plays:
        if half_of(play) != last_half:
            outs_before, last_half = 0, half_of(play)
        result, event = play["result"], play["result"]["eventType"]
        batter = play["matchup"]["batter"]["id"]
        pitcher = play["matchup"]["pitcher"]["id"]
        b = batting.setdefault(batter, dict.fromkeys(["atBats", "runs", "hits", "rbi", "baseOnBalls", "strikeOuts"], 0))
        p = pitching.setdefault(pitcher, dict.fromkeys(["outs", "hits", "runs", "earnedRuns", "baseOnBalls",
                                                        "strikeOuts"], 0))
        b["atBats"] += event not in NOT_AT_BAT
        b["hits"] += event in HIT_EVENTS
        b["baseOnBalls"] += event in WALK_EVENTS
        b["strikeOuts"] += event.startswith("strikeout")
        b["rbi"] += result.get("rbi", 0)
        p["hits"] += event in HIT_EVENTS
        p["baseOnBalls"] += event in WALK_EVENTS
        p["strikeOuts"] += event.startswith("strikeout")
        outs = play["count"]["outs"]
        p["outs"] += outs - outs_before
        outs_before = outs
        for runner in play.get("runners", []):
            if runner["movement"].get("end") != "score":
                continue
            details = runner["details"]
            scorer = batting.setdefault(details["runner"]["id"], dict.fromkeys(b, 0))
            scorer["runs"] += 1
            charged = (details.get("responsiblePitcher") or {}).get("id", pitcher)
            line = pitching.setdefault(charged, dict.fromkeys(p, 0))
            line["runs"] += 1
            line["earnedRuns"] += bool(details.get("earned"))
    return batting, pitching


def live_snapshot(final, plays, keep):
    """The recorded final as it stood after its first `keep` plays: in progress, nothing decided yet."""
    feed = copy.deepcopy(final)
    kept, following = plays[:keep], plays[keep:]
    last = kept[-1]
    inning, half = half_of(last)
    feed["gameData"]["status"] = {"abstractGameState": "Live", "detailedState": "In Progress"}
    info = feed["gameData"]["gameInfo"]
    info.pop("attendance", None)
    info.pop("gameDurationMinutes", None)
    live = feed["liveData"]
    live.pop("decisions", None)

    innings, totals = line_from_plays(kept)
    batters_up = [p["matchup"]["batter"] for p in following if half_of(p) == (inning, half)]
    offense = {}
    for slot, person in zip(("batter", "onDeck", "inHole"), batters_up):
        offense[slot] = person
    for runner in last["runners"]:
        end = runner["movement"].get("end")
        if end in ("1B", "2B", "3B") and not runner["movement"].get("isOut"):
            offense[{"1B": "first", "2B": "second", "3B": "third"}[end]] = runner["details"]["runner"]
    pitcher = following[0]["matchup"]["pitcher"] if following else last["matchup"]["pitcher"]
    live["linescore"] = pruned({
        "currentInningOrdinal": ordinal(inning), "inningState": half.capitalize(), "balls": 0, "strikes": 0,
        "outs": last["count"]["outs"], "offense": offense, "defense": {"pitcher": pitcher},
        "teams": totals, "innings": innings,
    }, FEED["liveData"]["linescore"])
    live["plays"] = pruned({
        "allPlays": kept,
        "scoringPlays": [i for i in final["liveData"]["plays"]["scoringPlays"] if i < keep],
        "currentPlay": last,
    }, FEED["liveData"]["plays"])

    batting, pitching = box_stats(kept)
    for side, box in live["boxscore"]["teams"].items():
        box.pop("note", None)
        box.pop("info", None)
        starters = [pid for pid in box["batters"] if box["players"][f"ID{pid}"].get("battingOrder", "").endswith("00")]
        box["batters"] = [pid for pid in box["batters"] if pid in starters or pid in batting]
        box["pitchers"] = [pid for i, pid in enumerate(box["pitchers"]) if i == 0 or pid in pitching]
        for key, player in box["players"].items():
            pid = player["person"]["id"]
            stats = player.setdefault("stats", {})
            if "batting" in stats and stats["batting"]:
                line = batting.get(pid, dict.fromkeys(["atBats", "runs", "hits", "rbi", "baseOnBalls", "strikeOuts"], 0))
                stats["batting"] = {**line, **{k: v for k, v in stats["batting"].items() if k == "avg"}}
            if "pitching" in stats and stats["pitching"]:
                line = dict(pitching.get(pid, dict.fromkeys(["outs", "hits", "runs", "earnedRuns", "baseOnBalls",
                                                             "strikeOuts"], 0)))
                outs = line.pop("outs")
                stats["pitching"] = {**line, "inningsPitched": f"{outs // 3}.{outs % 3}",
                                     **{k: v for k, v in stats["pitching"].items() if k == "era"}}
    return feed, innings, totals, (inning, half)


def scheduled_feed(game):
    """What the service answers for a game not yet started (or called off): clubs, venue, probables, no plays."""
    teams = {side: club(game["teams"][side]["team"]["id"]) for side in ("away", "home")}
    probables = {side: game["teams"][side]["probablePitcher"]
                 for side in ("away", "home") if "probablePitcher" in game["teams"][side]}
    return pruned({
        "gamePk": game["gamePk"],
        "gameData": {"venue": game["venue"], "probablePitchers": probables,
                     "status": game["status"], "teams": teams},
        "liveData": {"linescore": {}, "boxscore": {"teams": {side: {"team": teams[side], "batters": [],
                                                                     "pitchers": [], "players": {}}
                                                              for side in teams}},
                     "plays": {"allPlays": [], "scoringPlays": []}},
    }, FEED)


def synthetic_innings(away_runs, home_runs, seed):
    """A plausible nine-inning line for a recorded final whose day lists only the score."""
    rows = []
    for n in range(1, 10):
        rows.append({"num": n, "ordinalNum": ordinal(n), "home": {"runs": 0, "hits": 0, "errors": 0},
                     "away": {"runs": 0, "hits": 0, "errors": 0}})
    home_skips_ninth = home_runs > away_runs
    for side, runs in (("away", away_runs), ("home", home_runs)):
        slots = list(range(8 if side == "home" and home_skips_ninth else 9))
        for i in range(runs):
            rows[slots[(seed * 7 + i * 5 + (3 if side == "home" else 0)) % len(slots)]][side]["runs"] += 1
        for i in range(runs + 3 + seed % 4):
            rows[slots[(seed + i * 4) % len(slots)]][side]["hits"] += 1
    if home_skips_ninth:
        rows[8]["home"] = {}
    for row in rows:
        for side in ("away", "home"):
            if row[side]:
                row[side]["hits"] = max(row[side]["hits"], row[side]["runs"])
    totals = {side: {"runs": sum(r[side].get("runs", 0) for r in rows),
                     "hits": sum(r[side].get("hits", 0) for r in rows),
                     "errors": (seed + (side == "home")) % 2} for side in ("away", "home")}
    return rows, totals


def final_feed(base, game, seed):
    """The recorded final moved onto another finished game, its line score made that game's."""
    feed = copy.deepcopy(base)
    retarget(feed, game)
    away, home = game["teams"]["away"].get("score", 0), game["teams"]["home"].get("score", 0)
    recorded = game.get("linescore", {})
    if recorded.get("innings"):
        innings = recorded["innings"]
        totals = recorded["teams"]
    else:
        innings, totals = synthetic_innings(away, home, seed)
    live = feed["liveData"]
    live["linescore"] = pruned({"currentInningOrdinal": ordinal(len(innings)),
                                "inningState": "Bottom" if "runs" in innings[-1]["home"] else "Top",
                                "balls": 0, "strikes": 0, "outs": 3, "teams": totals, "innings": innings},
                               FEED["liveData"]["linescore"])

    # The recorded plays stay for the order of appearance; the scoring plays are the line score's own.
    plays = [pruned(p, {"about": PLAY["about"], "matchup": PLAY["matchup"], "runners": PLAY["runners"]})
             for p in live["plays"]["allPlays"]]
    scoring = []
    score = {"away": 0, "home": 0}
    for row in innings:
        for side, half in (("away", "top"), ("home", "bottom")):
            runs = row[side].get("runs", 0) if row[side] else 0
            if not runs:
                continue
            score[side] += runs
            team_name = CLUBS[game["teams"][side]["team"]["id"]][2]
            scoring.append(len(plays))
            plays.append({"about": {"halfInning": half, "inning": row["num"], "isTopInning": half == "top"},
                          "result": {"event": "Run", "eventType": "run",
                                     "description": f"{team_name} score {'a run' if runs == 1 else f'{runs} runs'}.",
                                     "awayScore": score["away"], "homeScore": score["home"]}})
    live["plays"] = {"allPlays": plays, "scoringPlays": scoring}

    # The recording's visitors won; when the home club won here, its pitchers take the decisions.
    if home > away:
        decisions = live["decisions"]
        decisions["winner"], decisions["loser"] = decisions["loser"], decisions["winner"]
        decisions.pop("save", None)
        tags = {decisions["winner"]["id"]: "(W)", decisions["loser"]["id"]: "(L)"}
        for box in live["boxscore"]["teams"].values():
            for player in box["players"].values():
                pitching = player.get("stats", {}).get("pitching")
                if pitching:
                    pitching.pop("note", None)
                    if player["person"]["id"] in tags:
                        pitching["note"] = tags[player["person"]["id"]]
    return feed


def live_schedule_entry(game, feed_status, innings, totals, half, final_probables):
    entry = copy.deepcopy(game)
    entry["status"] = feed_status
    for side in ("away", "home"):
        entry["teams"][side]["score"] = totals[side]["runs"]
        entry["teams"][side]["probablePitcher"] = final_probables[side]
    entry["linescore"] = {"currentInning": half[0], "currentInningOrdinal": ordinal(half[0]),
                          "isTopInning": half[1] == "top", "teams": totals}
    return entry


def main():
    routes = []
    feed_files = []

    raw_final = load(DATA / "feed-live-final-748534.json")
    base_final = pruned(raw_final, FEED)

    recorded_days = [("2022-04-07", "schedule-2022-04-07-postponed.json"),
                     ("2026-04-20", "schedule-2026-04-20-hydrated.json")]
    for day, name in recorded_days:
        games = load(DATA / name)["dates"][0]["games"]
        routes.append({"path": "/api/v1/schedule", "params": {"date": day}, "file": f"../../tests/data/{name}"})
        for seed, game in enumerate(games):
            if game["status"]["abstractGameState"] == "Final" and "Postponed" not in game["status"]["detailedState"]:
                feed = final_feed(base_final, game, seed)
            else:
                feed = scheduled_feed(game)
            feed_files.append((game["gamePk"], feed, None))

    # Today: the recorded spring day, one game of it played out over the demo's first minutes.
    day = load(DATA / "schedule-2026-03-18-preview-probables.json")
    today = pruned(day, SCHEDULE)
    games = today["dates"][0]["games"]
    live_index = next(i for i, g in enumerate(games) if g["gamePk"] == LIVE_GAME_PK)
    live_game = games[live_index]
    for game in games:
        if game["gamePk"] != LIVE_GAME_PK:
            feed_files.append((game["gamePk"], scheduled_feed(game), TODAY))

    final = copy.deepcopy(base_final)
    retarget(final, live_game)
    probables = final["gameData"]["probablePitchers"]
    plays = raw_final["liveData"]["plays"]["allPlays"]
    halves = []
    for i, play in enumerate(plays):
        if not halves or half_of(plays[halves[-1][0]]) != half_of(play):
            halves.append([i, 0])
        halves[-1][1] += 1

    timeline_feeds, timeline_days = [], []
    for step, (start, count) in enumerate(halves[FIRST_HALF:]):
        keep = start + min(2, count - 1)
        snapshot, innings, totals, half = live_snapshot(final, plays, keep)
        name = f"live/feed-{step:02}.json"
        write(DEMO / name, snapshot)
        status = {"abstractGameState": "Live", "codedGameState": "I", "detailedState": "In Progress",
                  "statusCode": "I", "startTimeTBD": False}
        day_now = copy.deepcopy(today)
        day_now["dates"][0]["games"][live_index] = live_schedule_entry(live_game, status, innings, totals, half,
                                                                       probables)
        write(DEMO / f"live/schedule-{step:02}.json", day_now)
        timeline_feeds.append({"at": step * STEP_SECONDS, "file": name})
        timeline_days.append({"at": step * STEP_SECONDS, "file": f"live/schedule-{step:02}.json"})

    at = (len(halves) - FIRST_HALF) * STEP_SECONDS
    write(DEMO / "live/feed-final.json", final)
    ls = final["liveData"]["linescore"]
    status = {"abstractGameState": "Final", "codedGameState": "F", "detailedState": "Final", "statusCode": "F",
              "startTimeTBD": False}
    day_now = copy.deepcopy(today)
    last_inning = ls["innings"][-1]["num"]
    day_now["dates"][0]["games"][live_index] = live_schedule_entry(
        live_game, status, ls["innings"], {s: ls["teams"][s] for s in ("away", "home")},
        (last_inning, "bottom" if "runs" in ls["innings"][-1]["home"] else "top"), probables)
    write(DEMO / "live/schedule-final.json", day_now)
    # As the service does, the final comes a minute before its last facts (attendance and time of game).
    early_final = copy.deepcopy(final)
    for fact in ("attendance", "gameDurationMinutes"):
        early_final["gameData"].get("gameInfo", {}).pop(fact, None)
    write(DEMO / "live/feed-final-early.json", early_final)
    timeline_feeds.append({"at": at, "file": "live/feed-final-early.json"})
    timeline_feeds.append({"at": at + STEP_SECONDS, "file": "live/feed-final.json"})
    timeline_days.append({"at": at, "file": "live/schedule-final.json"})

    for game_pk, feed, rebase in feed_files:
        name = f"feeds/{game_pk}.json"
        write(DEMO / name, feed)
        route = {"path": f"/api/v1.1/game/{game_pk}/feed/live", "file": name}
        if rebase:
            route["rebaseDay"] = rebase
        routes.append(route)
    routes.append({"path": f"/api/v1.1/game/{LIVE_GAME_PK}/feed/live", "timeline": timeline_feeds,
                   "rebaseDay": TODAY})
    routes.append({"path": "/api/v1/schedule", "params": {"teamId": "147"}, "file": "team-schedule-147.json",
                   "rebaseDay": TODAY})
    routes.append({"path": "/api/v1/schedule", "params": {"date": "@today"}, "timeline": timeline_days,
                   "rebaseDay": TODAY})
    # Any other day (and another favourite's schedule) has no games.
    routes.append({"path": "/api/v1/schedule", "body": '{"totalGames":0,"dates":[]}'})
    routes.append({"path": "/api/v1/standings", "file": "../../tests/data/standings-2024.json"})
    for team_id, (_, abbreviation, _) in sorted(CLUBS.items(), key=lambda item: item[1][1]):
        name = "ari" if abbreviation == "AZ" else abbreviation.lower()
        routes.append({"path": f"/i/teamlogos/mlb/500/{name}.png", "file": f"logos/{name}.png"})
    for league in (103, 104):
        routes.append({"path": f"/team-logos/league-on-light/{league}.svg", "file": f"logos/{league}.svg"})
    routes.append({"path": "/appcast.xml", "file": "appcast.xml"})

    lines = ",\n".join("    " + json.dumps(route, ensure_ascii=False) for route in routes)
    (DEMO / "manifest.json").write_text('{\n  "routes": [\n' + lines + "\n  ]\n}\n", encoding="utf-8")
    print(f"{len(feed_files)} game feeds, {len(halves) - FIRST_HALF} live snapshots and the final, ending at {at} s")


if __name__ == "__main__":
    main()
