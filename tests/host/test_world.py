"""World files: loading, errors, saving, generated worlds, the sample world."""

import json
import os
import subprocess
import sys
import tempfile
import unittest

import hostclient
from ludrix.world import WorldError, load_world, save_world, world_from_json
from ludrix.worldgen import Recipe, generate

USER = {"id": "MVL00001", "password": "p", "handle": "デモ"}
MAIL = {"from": "MVL00002", "date": "1999/12/31 10:00:00", "subject": "s", "body": ["b"]}


class WorldFileTest(unittest.TestCase):
    def test_bad_worlds_name_the_field(self):
        rows = [
            ("no users", {}, "world.users: missing"),
            ("short ID", {"users": [dict(USER, id="ABC")]}, "users[0].id"),
            ("ID twice", {"users": [USER, USER]}, "appears twice"),
            ("bad date", {"users": [dict(USER, last_logout="yesterday")]}, "users[0].last_logout"),
            ("bad state", {"users": [dict(USER, mailbox=[dict(MAIL, state="lost")])]},
             "users[0].mailbox[0].state"),
            ("bad sender", {"users": [dict(USER, mailbox=[dict(MAIL, **{"from": "x y"})])]},
             "users[0].mailbox[0].from"),
            ("bad base64", {"users": [dict(USER, mailbox=[dict(MAIL, file={"name": "A", "base64": "*"})])]},
             "mailbox[0].file.base64"),
            ("key twice", {"users": [dict(USER, mailbox=[dict(MAIL, key=5), dict(MAIL, key=5)])]},
             "mail key 5 appears twice"),
            ("page size", {"host": {"page_size": 0}, "users": []}, "host.page_size"),
        ]
        for name, obj, message in rows:
            with self.subTest(name):
                with self.assertRaises(WorldError) as caught:
                    world_from_json(obj)
                self.assertIn(message, str(caught.exception))

    def test_new_keys_never_collide_with_written_ones(self):
        world = world_from_json({"users": [dict(USER, mailbox=[MAIL]),
                                           dict(USER, id="MVL00002", mailbox=[dict(MAIL, key=1)])]})
        keys = [m.key for u in world.users.values() for m in u.mailbox]
        self.assertEqual(len(set(keys)), 2)

    def test_save_and_load_round_trip(self):
        world = generate(Recipe(seed=5, users=3, mails=4, file_mails=1, internet_mails=1))
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "w.json")
            save_world(world, path)
            again = load_world(path)
            self.assertEqual(again.to_json(), world.to_json())
            self.assertEqual(os.listdir(folder), ["w.json"])  # no temporary file left

    def test_generated_worlds_depend_only_on_the_seed(self):
        recipe = Recipe(seed=9, users=4, mails=30, file_mails=3, internet_mails=2, notices=2)
        first, second = generate(recipe), generate(recipe)
        self.assertEqual(json.dumps(first.to_json()), json.dumps(second.to_json()))
        self.assertNotEqual(first.to_json(), generate(Recipe(seed=10)).to_json())
        box = first.users["MVL00001"].mailbox
        self.assertEqual(len(box), 30)
        self.assertEqual(sum(m.internet for m in box), 2)
        self.assertEqual(sum(m.file is not None for m in box), 3)
        self.assertTrue(all(len(m.file.content()) == 4096 for m in box if m.file is not None))

    def test_sample_world(self):
        world = load_world(hostclient.SAMPLE_WORLD)
        demo = world.user("MVL00001")
        self.assertEqual((demo.password, demo.handle), ("morvaline", "デモ"))
        internet = [m for m in demo.mailbox if m.internet]
        self.assertTrue(internet and "multipart/mixed" in internet[0].raw)
        self.assertIn("Content-Disposition: attachment", internet[0].raw)
        self.assertTrue(any(m.file is not None for m in demo.mailbox))


class CommandLineTest(unittest.TestCase):
    def run_host(self, *args):
        return subprocess.run([sys.executable, hostclient.HOST_SCRIPT, *args],
                              capture_output=True, text=True, timeout=hostclient.DEADLINE)

    def test_a_bad_world_file_stops_the_host(self):
        with tempfile.NamedTemporaryFile("w", suffix=".json") as fh:
            fh.write("{not json")
            fh.flush()
            done = self.run_host("--world", fh.name)
        self.assertEqual(done.returncode, 2)
        self.assertIn("not UTF-8 JSON", done.stderr)

    def test_option_errors(self):
        for args in (["--seed", "1", "--world", "x"], ["--seed", "1", "--save"],
                     ["--seed", "1", "--transfer-fault", "melt:3"], ["--seed", "1", "--garble", "2"]):
            with self.subTest(args):
                self.assertEqual(self.run_host(*args).returncode, 2)

    def test_dump_world(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "big.json")
            done = self.run_host("--seed", "3", "--users", "2", "--mails", "500", "--dump-world", path)
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertEqual(len(load_world(path).user("MVL00002").mailbox), 500)


if __name__ == "__main__":
    unittest.main()
