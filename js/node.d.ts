// Types of vantrix/node: see docs/javascript.md in the vantrix repository.

import type { Conversion as BrowserConversion } from "./vantrix.js";

export type { FaceSetSource, ByteFaceSetSource, GameFiles, SavePreview, SaveText, FaceSlot, ReadOptions } from "./vantrix.js";

export interface Conversion extends Omit<BrowserConversion, "status"> {
  /** As convertSave's, and "cannotOpenInput" when the save is missing, a folder or not readable. */
  status: BrowserConversion["status"] | "cannotOpenInput";
}

/**
 * Reads a save and its game folder from disk as the vantrix program on Linux does: the
 * document names the save as given here, and its faces come from the FaceSet folder in the
 * save's folder (the current folder for a name without "/").
 */
export function convertSaveFile(fileName: string): Promise<Conversion>;
