"""Sets the program's projected forms beside PROJ's cs2cs and GeographicLib's GeoConvert.

Usage: python3 bench/forms_reference.py <tarnel_bench_forms_print>
Points: a grid over metropolitan France and Corsica, and the overseas departments.
Prints the largest difference, in metres, for Lambert 93, the CC zones and UTM.
"""
import subprocess
import sys

points = [(41.4 + i * 0.4, -4.8 + j * 0.5) for i in range(25) for j in range(29)]
points += [(16.2411, -61.5331), (14.6161, -61.0588), (4.9372, -52.3260), (3.8, -54.0),
           (-20.8823, 55.4504), (-21.3, 55.7), (-12.7806, 45.2279), (46.78, -56.17)]
text = "".join(f"{lat:.6f} {lon:.6f}\n" for lat, lon in points)
ours = [line.split() for line in subprocess.run([sys.argv[1]], input=text, capture_output=True,
                                                text=True, check=True).stdout.splitlines()]


def run(command, lines):
    out = subprocess.run(command, input="".join(lines), capture_output=True, text=True, check=True)
    return [line.split() for line in out.stdout.splitlines()]


def worst(pairs):
    return max((max(abs(a - c), abs(b - d)) for (a, b), (c, d) in pairs), default=float("nan"))


lambert = [(i, p) for i, p in enumerate(points) if ours[i][0] != "-"]
reference = run(["cs2cs", "-f", "%.4f", "EPSG:4326", "EPSG:2154"],
                [f"{lat} {lon}\n" for _, (lat, lon) in lambert])
l93 = worst(((float(ours[i][0]), float(ours[i][1])), (float(r[0]), float(r[1])))
            for (i, _), r in zip(lambert, reference))

cc_pairs = []
for zone in range(42, 51):
    chosen = [(i, p) for i, p in enumerate(points) if ours[i][2] == str(zone)]
    if chosen:
        reference = run(["cs2cs", "-f", "%.4f", "EPSG:4326", f"EPSG:{3900 + zone}"],
                        [f"{lat} {lon}\n" for _, (lat, lon) in chosen])
        cc_pairs += [((float(ours[i][3]), float(ours[i][4])), (float(r[0]), float(r[1])))
                     for (i, _), r in zip(chosen, reference)]
cc = worst(cc_pairs)

utm_points = [(i, p) for i, p in enumerate(points) if ours[i][5] != "-"]
reference = run(["GeoConvert", "-u", "-p", "4"], [f"{lat} {lon}\n" for _, (lat, lon) in utm_points])
zones_agree = all(ours[i][5].lower() == r[0] for (i, _), r in zip(utm_points, reference))
utm = worst(((float(ours[i][6]), float(ours[i][7])), (float(r[1]), float(r[2])))
            for (i, _), r in zip(utm_points, reference))

print(f"- {len(points)} points; Lambert 93 ({len(lambert)} covered): largest difference from "
      f"cs2cs {l93 * 1000:.2f} mm (target ≤ 10 mm)")
print(f"- CC zones ({len(cc_pairs)} covered): largest difference from cs2cs {cc * 1000:.2f} mm")
print(f"- UTM ({len(utm_points)} points): zones {'all' if zones_agree else 'NOT all'} as "
      f"GeoConvert's, largest difference {utm * 1000:.2f} mm")
