#!/usr/bin/env python3
"""What velmor-dump reports for the bundled scene: counts, names and a few values."""
import json
import subprocess
import sys

dump, scene = sys.argv[1], sys.argv[2]
report = json.loads(subprocess.run([dump, scene], check=True, capture_output=True).stdout)

objects = [(o["name"], len(o["vertices"]), len(o["faces"])) for o in report["objects"]]
assert objects == [("Frame", 160, 240), ("Torus", 640, 1280), ("Gear", 384, 768),
                   ("Sphere", 162, 320), ("Knot", 2400, 4800)], objects
assert 5000 <= sum(f for _, _, f in objects) <= 20000
assert [m["name"] for m in report["materials"]] == ["Rose", "Violet", "Lime", "Chalk", "Steel"]
assert [(l["name"], l["is_spot"], l["is_off"], l["ray_shadows"]) for l in report["lights"]] == [
    ("Fill", 0, 1, 0), ("Key", 1, 0, 1)], report["lights"]
assert report["lights"][1]["colour255"] == [255, 229, 204]
camera, = report["cameras"]
assert camera["name"] == "Camera01" and camera["lens"] == 18
assert camera["matrix"][12:15] == [0, 75, -129.903809], camera["matrix"]
assert (report["start_frame"], report["end_frame"]) == (0, 100)
assert [(o["node_id"], o["parent_id"]) for o in report["objects"]] == [
    (2, 1), (3, 1), (4, 1), (5, 2), (6, 65535)]
print("velmor-dump reports the bundled scene as built")
