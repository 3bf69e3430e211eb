// Types of the tavo32 package (tavo32.js).

/** An error the library returned. */
export declare class TavoError extends Error {
  readonly name: 'TavoError';
  /** The library's error code, e.g. 32500 (incomplete UPC-A). */
  readonly code: number;
  constructor(code: number, message: string);
}

/** A symbology: its code or its short name ("ean13", "code128", ...). */
export type Symbology = number | string;

/** A value: a string of byte characters (U+0001..U+00FF, or a Windows-1252 character) or its bytes. */
export type Value = string | Uint8Array;

export interface TranslateOptions {
  /** Add the symbology's optional check character(s). */
  check?: boolean;
}

export interface FaceNameOptions {
  /** Family prefix; default "TAVO ", the prefix of the TAVO fonts. */
  prefix?: string;
  /** Bar height: "L", "M", "H" or 0, 1, 2; default "L". */
  height?: 'L' | 'M' | 'H' | 0 | 1 | 2;
  /** The face that draws the human-readable caption. */
  caption?: boolean;
}

export interface SymbologyInfo {
  readonly code: number;
  readonly name: string;
  /** Face family as the native tool lists it; may be empty. */
  readonly family: string;
}

export interface Version {
  /** BC_FontGetVer: the translation version, 9611080. */
  translation: number;
  /** TAVO_VersionMajor/Minor/Revision: 0 in WebAssembly, which has no version record. */
  major: number;
  minor: number;
  revision: number;
  /** Version of the library sources the module was built from, e.g. "3.1.8". */
  library: string;
}

/** Every symbology the library has, in code order. */
export declare const symbologies: readonly SymbologyInfo[];

/** The code of a symbology given by code or short name; throws TavoError 32511 for an unknown name. */
export declare function symbologyCode(symbology: Symbology): number;

/** The font string for `value`: bytes above 127 as their Windows-1252 characters. Throws TavoError. */
export declare function translate(symbology: Symbology, value: Value, options?: TranslateOptions): string;

/** The font string for `value` as raw bytes. Throws TavoError. */
export declare function translateBytes(symbology: Symbology, value: Value, options?: TranslateOptions): Uint8Array;

/** The face name of the symbology's bar code font, e.g. "TAVO 128 M". Throws TavoError. */
export declare function faceName(symbology: Symbology, options?: FaceNameOptions): string;

/** How an input form shows character `ch` (e.g. "A", "<FNC1>"), or null when it may not stand in a value. */
export declare function charCheck(symbology: Symbology, ch: string | number, options?: { alt?: boolean }): string | null;

/** The library's message for an error code. */
export declare function errorMessage(code: number): string;

/** The library's version queries. */
export declare function version(): Version;

/** The WebAssembly module's exports: the library's C entry points, malloc, free and memory. */
export declare const wasmExports: WebAssembly.Exports;
