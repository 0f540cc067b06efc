// Types of the vantrix package: see docs/javascript.md in the vantrix repository.

/** What became of a conversion. */
export type ConversionStatus = "converted" | "invalidSave" | "outOfMemory";

export interface Conversion {
  /** "converted", "invalidSave" (the header is not LcfSaveData) or "outOfMemory". */
  status: ConversionStatus;
  /**
   * The preview document's bytes, exactly what the vantrix program writes for the same save
   * beside the same files: ISO-8859-1 XML with CR LF line ends. Empty unless converted.
   */
  document: Uint8Array;
  /**
   * When a face set was found only by reading its name in a code page, that page's Windows
   * number (932 Shift-JIS, 936 GBK, 949 UHC, 950 Big5, 1250, 1251, 1252; 65001 for UTF-8):
   * the game's code page, in which its hero's name reads right too. Otherwise null.
   */
  faceSetCodePage: number | null;
}

/**
 * The files of a game folder answered synchronously, for a folder that is neither on disk
 * nor in a Map: an archive, a browser's chosen folder. Paths are relative to the folder the
 * source stands for ("" is that folder), with "/" between names ("FaceSet/Hero.png").
 * An answer that throws counts as "no such file or folder"; one that is a Promise or of the
 * wrong type makes the conversion reject with a TypeError. A path whose bytes are not UTF-8
 * is never asked (see ByteFaceSetSource).
 */
export interface FaceSetSource {
  readonly names?: "text";
  /** The names in `folder`, or null or undefined when there is no such folder. */
  listFolder(folder: string): ReadonlyArray<string> | null | undefined;
  /** True when `path` is a file that readFile gives the bytes of. */
  isFile(path: string): boolean;
  /** The file's bytes, or null or undefined when there is none or it cannot be read. */
  readFile(path: string): Uint8Array | ArrayBuffer | null | undefined;
}

/**
 * A FaceSetSource whose paths and names are bytes: for an archive or a disk whose names are
 * not UTF-8 (a Japanese game unpacked with its Shift-JIS names).
 */
export interface ByteFaceSetSource {
  readonly names: "bytes";
  listFolder(folder: Uint8Array): ReadonlyArray<Uint8Array | string> | null | undefined;
  isFile(path: Uint8Array): boolean;
  readFile(path: Uint8Array): Uint8Array | ArrayBuffer | null | undefined;
}

/**
 * A game folder's files by path relative to the folder the save lies in
 * ("FaceSet/Hero.png"), a FaceSetSource, or undefined or null for none.
 */
export type GameFiles =
  | ReadonlyMap<string, Uint8Array>
  | FaceSetSource
  | ByteFaceSetSource
  | null
  | undefined;

/**
 * Makes the preview document of a save. `fileName` is the save's name as the document shows
 * it; the slot number comes from it ("Save03.lsd" gives 3), and a folder in it
 * ("Game/Save03.lsd") is where among `gameFiles` the save lies. Face sets are looked up in the
 * FaceSet folder beside the save by the rules the program follows on disk.
 *
 * Rejects with a TypeError when an argument is of the wrong type, and with an Error when the
 * WebAssembly module cannot run.
 */
export function convertSave(save: Uint8Array, fileName: string, gameFiles?: GameFiles): Promise<Conversion>;

/** A name from a save: its bytes, and its text in the preview's code page (null when that page does not read them). */
export interface SaveText {
  bytes: Uint8Array;
  text: string | null;
}

export interface FaceSlot {
  /** The face set's file name without extension; empty bytes: no face in this slot. */
  name: SaveText;
  /** The 0-based number of the face in its face set (16 faces in 4 rows of 4). */
  index: number;
}

export interface SavePreview {
  /** The save time as a date serial: days since 1899-12-30, the fraction the time of day. */
  timestamp: number;
  /** The save time as the document writes it: "2026-12-07-20:15:42". */
  timestampText: string;
  heroName: SaveText;
  /** The leading hero's level; the document shows no hero when it is below 1. */
  heroLevel: number;
  heroHp: number;
  /** Face slots 1 to 4. */
  faces: [FaceSlot, FaceSlot, FaceSlot, FaceSlot];
  /** The playing time in frames, 60 a second. */
  frameCount: number;
  /** The playing time as the document writes it: "005:42:56". */
  playingTimeText: string;
  money: number;
  /** The Windows number of the code page the names' text was read in (65001 for UTF-8), or null when no page reads every name. */
  codePage: number | null;
}

export interface ReadOptions {
  /**
   * The code page to read the names in: a Windows number (932, 65001) or a name ("Shift_JIS",
   * "cp1252"), such as a conversion's faceSetCodePage. Without it, UTF-8 when it reads every
   * name, else the double-byte page whose common characters they hold most, else the first of
   * 1252, 1250, 1251 that reads them (see docs/javascript.md).
   */
  codePage?: number | string | null;
}

/** The values behind the document; null when the header is not LcfSaveData. */
export function readSavePreview(save: Uint8Array, options?: ReadOptions): Promise<SavePreview | null>;

/** A save's text read in a code page, strictly: null when the bytes are no text of that page. */
export function textToUtf8(bytes: Uint8Array, codePage: number | string): Promise<string | null>;

/** The package's version, the vantrix project's. */
export const version: string;
