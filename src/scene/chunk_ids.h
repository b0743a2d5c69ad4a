// The ids of the .3DS chunks: those the loader's table knows, and the few more
// that make-scene writes. The loader, the chunk writers, the tests, the fuzz
// seeds and the benchmarks all name chunks with these.
#pragma once

#include <cstdint>

// --- Common data chunks --------------------------------------------------------
constexpr uint16_t CHUNK_VERSION = 0x0002;
constexpr uint16_t CHUNK_COLOR_F = 0x0010;
constexpr uint16_t CHUNK_COLOR_24 = 0x0011;
constexpr uint16_t CHUNK_COLOR_24_GAMMA = 0x0012;
constexpr uint16_t CHUNK_COLOR_F_GAMMA = 0x0013;
constexpr uint16_t CHUNK_PERCENT_INT = 0x0030;
constexpr uint16_t CHUNK_PERCENT_F = 0x0031;
constexpr uint16_t CHUNK_MASTER_SCALE = 0x0100;

// --- The file and its editor section -------------------------------------------
constexpr uint16_t CHUNK_MAIN = 0x4D4D;
constexpr uint16_t CHUNK_EDITOR = 0x3D3D;
constexpr uint16_t CHUNK_MESH_VERSION = 0x3D3E;
constexpr uint16_t CHUNK_BACKGROUND_COLOR = 0x1200;
constexpr uint16_t CHUNK_AMBIENT_LIGHT = 0x2100;
constexpr uint16_t CHUNK_VIEWPORT_LAYOUT = 0x7001;
constexpr uint16_t CHUNK_VIEWPORT_DATA = 0x7020;
// Known to the loader's table without a known meaning.
constexpr uint16_t CHUNK_UNKNOWN_3DAA = 0x3DAA;
constexpr uint16_t CHUNK_UNKNOWN_4190 = 0x4190;
constexpr uint16_t CHUNK_UNKNOWN_4F00 = 0x4F00;
constexpr uint16_t CHUNK_UNKNOWN_A083 = 0xA083;
constexpr uint16_t CHUNK_UNKNOWN_C23D = 0xC23D;

// --- Objects: meshes, lights, cameras ------------------------------------------
constexpr uint16_t CHUNK_NAMED_OBJECT = 0x4000;
constexpr uint16_t CHUNK_TRIANGLE_MESH = 0x4100;
constexpr uint16_t CHUNK_VERTEX_LIST = 0x4110;
constexpr uint16_t CHUNK_VERTEX_FLAGS = 0x4111;
constexpr uint16_t CHUNK_FACE_LIST = 0x4120;
constexpr uint16_t CHUNK_FACE_MATERIAL = 0x4130;
constexpr uint16_t CHUNK_MAPPING = 0x4140;
constexpr uint16_t CHUNK_SMOOTHING_GROUPS = 0x4150;
constexpr uint16_t CHUNK_LOCAL_MATRIX = 0x4160;
constexpr uint16_t CHUNK_MESH_COLOR = 0x4165;
constexpr uint16_t CHUNK_TEXTURE_INFO = 0x4170;
constexpr uint16_t CHUNK_LIGHT = 0x4600;
constexpr uint16_t CHUNK_SPOTLIGHT = 0x4610;
constexpr uint16_t CHUNK_LIGHT_OFF = 0x4620;
constexpr uint16_t CHUNK_LIGHT_RAY_SHADOWS = 0x4627;
constexpr uint16_t CHUNK_LIGHT_INNER_RANGE = 0x4659;
constexpr uint16_t CHUNK_LIGHT_OUTER_RANGE = 0x465A;
constexpr uint16_t CHUNK_LIGHT_MULTIPLIER = 0x465B;
constexpr uint16_t CHUNK_CAMERA = 0x4700;
constexpr uint16_t CHUNK_CAMERA_RANGES = 0x4720;

// --- Materials and their maps --------------------------------------------------
constexpr uint16_t CHUNK_MATERIAL = 0xAFFF;
constexpr uint16_t CHUNK_MAT_NAME = 0xA000;
constexpr uint16_t CHUNK_MAT_AMBIENT = 0xA010;
constexpr uint16_t CHUNK_MAT_DIFFUSE = 0xA020;
constexpr uint16_t CHUNK_MAT_SPECULAR = 0xA030;
constexpr uint16_t CHUNK_MAT_SHININESS = 0xA040;
constexpr uint16_t CHUNK_MAT_SHININESS_STRENGTH = 0xA041;
constexpr uint16_t CHUNK_MAT_TRANSPARENCY = 0xA050;
constexpr uint16_t CHUNK_MAT_TRANSPARENCY_FALLOFF = 0xA052;
constexpr uint16_t CHUNK_MAT_REFLECTION_BLUR = 0xA053;
constexpr uint16_t CHUNK_MAT_TWO_SIDED = 0xA081;
constexpr uint16_t CHUNK_MAT_SELF_ILLUMINATION = 0xA084;
constexpr uint16_t CHUNK_MAT_WIREFRAME = 0xA085;
constexpr uint16_t CHUNK_MAT_WIRE_SIZE = 0xA087;
constexpr uint16_t CHUNK_MAT_SOFTEN = 0xA08C;
constexpr uint16_t CHUNK_MAT_SHADING = 0xA100;
constexpr uint16_t CHUNK_MAT_TEXTURE_MAP = 0xA200;
constexpr uint16_t CHUNK_MAT_REFLECTION_MAP = 0xA220;
constexpr uint16_t CHUNK_MAT_BUMP_MAP = 0xA230;
constexpr uint16_t CHUNK_MAT_BUMP_PERCENT = 0xA252;
constexpr uint16_t CHUNK_MAP_FILE_NAME = 0xA300;
constexpr uint16_t CHUNK_MAP_TILING = 0xA351;
constexpr uint16_t CHUNK_MAP_BLUR = 0xA353;
constexpr uint16_t CHUNK_MAP_U_SCALE = 0xA354;
constexpr uint16_t CHUNK_MAP_V_SCALE = 0xA356;
constexpr uint16_t CHUNK_MAP_U_OFFSET = 0xA358;
constexpr uint16_t CHUNK_MAP_V_OFFSET = 0xA35A;
constexpr uint16_t CHUNK_MAP_ROTATION = 0xA35C;

// --- The keyframer: nodes and their tracks ---------------------------------------
constexpr uint16_t CHUNK_KEYFRAMER = 0xB000;
constexpr uint16_t CHUNK_AMBIENT_NODE = 0xB001;
constexpr uint16_t CHUNK_OBJECT_NODE = 0xB002;
constexpr uint16_t CHUNK_CAMERA_NODE = 0xB003;
constexpr uint16_t CHUNK_TARGET_NODE = 0xB004;
constexpr uint16_t CHUNK_LIGHT_NODE = 0xB005;
constexpr uint16_t CHUNK_LIGHT_TARGET_NODE = 0xB006;
constexpr uint16_t CHUNK_SPOTLIGHT_NODE = 0xB007;
constexpr uint16_t CHUNK_SEGMENT = 0xB008;
constexpr uint16_t CHUNK_CURRENT_TIME = 0xB009;
constexpr uint16_t CHUNK_KEYFRAMER_HEADER = 0xB00A;
constexpr uint16_t CHUNK_NODE_HEADER = 0xB010;
constexpr uint16_t CHUNK_INSTANCE_NAME = 0xB011;
constexpr uint16_t CHUNK_PIVOT = 0xB013;
constexpr uint16_t CHUNK_POSITION_TRACK = 0xB020;
constexpr uint16_t CHUNK_ROTATION_TRACK = 0xB021;
constexpr uint16_t CHUNK_SCALE_TRACK = 0xB022;
constexpr uint16_t CHUNK_FOV_TRACK = 0xB023;
constexpr uint16_t CHUNK_ROLL_TRACK = 0xB024;
constexpr uint16_t CHUNK_COLOR_TRACK = 0xB025;
constexpr uint16_t CHUNK_MORPH_TRACK = 0xB026;
constexpr uint16_t CHUNK_HIDE_TRACK = 0xB029;
constexpr uint16_t CHUNK_NODE_ID = 0xB030;
