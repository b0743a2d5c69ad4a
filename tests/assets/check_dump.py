#!/usr/bin/env python3
"""What velmor-dump reports for the bundled scene, which holds every kind of chunk
that the loader reads: counts, names, a few values, and shapes placed for the
program's fixed view."""
import json
import math
import subprocess
import sys

dump, scene = sys.argv[1], sys.argv[2]
report = json.loads(subprocess.run([dump, scene], check=True, capture_output=True).stdout)
objects = report["objects"]

assert [(o["name"], len(o["vertices"]), len(o["faces"])) for o in objects] == [
    ("Frame", 160, 240), ("Torus", 640, 1280), ("Gear", 384, 768),
    ("Sphere", 162, 320), ("Knot", 2400, 4800)]
assert [m["name"] for m in report["materials"]] == ["Rose", "Violet", "Lime", "Chalk", "Steel"]
assert [(l["name"], l["is_spot"], l["is_off"], l["ray_shadows"]) for l in report["lights"]] == [
    ("Fill", 0, 1, 0), ("Key", 1, 0, 1)], report["lights"]
assert report["lights"][1]["colour255"] == [255, 229, 204]
camera, = report["cameras"]
assert camera["name"] == "Camera01" and camera["lens"] == 18
eye = camera["matrix"][12:15]  # where the program's fixed camera sits: 150 away, 30 degrees up
assert eye == [0, 75, -129.903809], camera["matrix"]
assert (report["start_frame"], report["end_frame"]) == (0, 100)
assert [(o["node_id"], o["parent_id"]) for o in objects] == [
    (2, 1), (3, 1), (4, 1), (5, 2), (6, 65535)]  # 1 is the dummy; the sphere hangs in the frame

# Each face: three corners, its material, its plane (a, b, c, d).
for o, material in zip(objects, [0, 1, 2, 3, 0]):
    used = [f[3] for f in o["faces"]]
    steel = 8 * 12 if o["name"] == "Frame" else 0  # the frame's corner blocks
    assert used.count(material) == len(used) - steel and used.count(4) == steel, o["name"]


def dot(u, v):
    return sum(a * b for a, b in zip(u, v))


# Every closed shape has its normals inwards (the renderer draws a face when the
# eye is behind its plane), so its outside shows: the sum of area x d is positive.
for o in objects:
    inward = 0.0
    for f in o["faces"]:
        a, b, c = (o["vertices"][i][:3] for i in f[:3])
        u, v = [q - p for p, q in zip(a, b)], [q - p for p, q in zip(a, c)]
        cross = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
        inward += math.hypot(*cross) * f[7]
    assert inward > 0, o["name"] + " would show its inside"
# On the sphere, the face turned most towards the camera is drawn, the one turned away is not.
sphere = objects[3]["faces"]
towards = min(sphere, key=lambda f: dot(f[4:7], eye))
away = max(sphere, key=lambda f: dot(f[4:7], eye))
assert dot(towards[4:7], eye) + towards[7] <= 0.1 and dot(away[4:7], eye) + away[7] > 0.1

# The objects turn about the world origin: each keeps to its own shell, inside 70 units.
previous_outer = 0
for name in ["Sphere", "Frame", "Gear", "Torus", "Knot"]:
    radii = [math.hypot(*v[:3]) for o in objects if o["name"] == name for v in o["vertices"]]
    assert min(radii) > previous_outer, name
    previous_outer = max(radii)
assert previous_outer < 70
print("velmor-dump reports the bundled scene as built")
