// Types of the tavo32 package (tavo32.js, and tavo32.cjs for require()).
// The names and options come from registry.d.ts, generated from the
// library's registry when the package is built.
import type { SymbologyName, RegistryOptions } from './registry';
export type { SymbologyName, RegistryOptions };

/**
 * An error the library returned, or one found before calling it: 32511 an
 * unknown symbology name, 32561 an unknown option or a value it does not
 * take, 32505 a character the symbology's text rule cannot convert.
 */
export declare class TavoError extends Error {
  readonly name: 'TavoError';
  /** The library's error code, e.g. 32500 (incomplete UPC-A). */
  readonly code: number;
  constructor(code: number, message: string);
}

/**
 * A symbology: its code, or a name or alias ("ean13", "EAN-13", "qrcode"):
 * case, "-", "_", "." and spaces are ignored.
 */
export type Symbology = number | SymbologyName | (string & {});

/**
 * A value: a string, which goes through the symbology's text rule (UTF-8
 * for QR Code and Data Matrix; each character as its Windows-1252 byte for
 * the others), or its bytes as they are.
 */
export type Value = string | Uint8Array;

/**
 * The symbology's named options (which ones it takes is in `symbologies`);
 * names are compared without regard to case, "-", "_", "." and spaces, so
 * `checkDigit` is `check_digit`.  An option it lacks, or a value the option
 * does not take, throws TavoError 32561.
 */
export interface TranslateOptions extends RegistryOptions {
  /**
   * The integer check argument of the library as it is (int32), added to
   * the named options; `true` is `check_digit` where the symbology has it.
   */
  check?: boolean | number;
}

/** What toSVG() draws, beside the translation's options. */
export interface SvgOptions extends TranslateOptions {
  /** User units a module; default 1. */
  module?: number;
  /** Height of the bars in modules; absent or 0: the symbology's default. */
  height?: number;
  /** Wide to narrow, 2 to 3, for the two-width symbologies; default 3. */
  ratio?: number;
  /** The caption variant: the text under the bars. */
  caption?: boolean;
}

export interface FaceNameOptions {
  /** Family prefix; default "TAVO ", the prefix of the TAVO fonts. */
  prefix?: string;
  /** Bar height: "L", "M", "H" or 0, 1, 2; default "L". */
  height?: 'L' | 'M' | 'H' | 0 | 1 | 2;
  /** The face that draws the human-readable caption. */
  caption?: boolean;
}

/** A named option of a symbology, and how it adds to the check argument. */
export interface OptionInfo {
  readonly name: string;
  readonly type: 'flag' | 'choice' | 'number';
  readonly help: string;
  /** flag: added when on; number: times the number. */
  readonly check?: number;
  /** choice: the values and what each adds; `default` is what 0 means. */
  readonly values?: readonly { readonly name: string; readonly check: number }[];
  readonly default?: string;
  /** number: the range. */
  readonly min?: number;
  readonly max?: number;
}

/** A symbology as `tavo list --json` describes it (docs/list-json.md). */
export interface SymbologyInfo {
  readonly code: number;
  readonly name: string;
  readonly title: string;
  readonly aliases: readonly string[];
  /** Face family (without the "TAVO " prefix). */
  readonly family: string;
  readonly faces: number;
  /** The code whose font prints it. */
  readonly font: number;
  readonly text: 'windows-1252' | 'utf-8-eci' | 'utf-8';
  readonly multi_line: boolean;
  readonly max_length: number;
  readonly options: readonly OptionInfo[];
  readonly errors: readonly number[];
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

/** The code of a symbology given by code, name or alias; throws TavoError 32511 for an unknown name, suggesting the nearest. */
export declare function symbologyCode(symbology: Symbology): number;

/** The font string for `value`: bytes above 127 as their Windows-1252 characters. Throws TavoError. */
export declare function translate(symbology: Symbology, value: Value, options?: TranslateOptions): string;

/** The font string for `value` as raw bytes. Throws TavoError. */
export declare function translateBytes(symbology: Symbology, value: Value, options?: TranslateOptions): Uint8Array;

/** The face name of the font that prints the symbology, e.g. "TAVO 128 M". Throws TavoError. */
export declare function faceName(symbology: Symbology, options?: FaceNameOptions): string;

/** How an input form shows character `ch` (e.g. "A", "<FNC1>"), or null when it may not stand in a value. */
export declare function charCheck(symbology: Symbology, ch: string | number, options?: { alt?: boolean }): string | null;

/** The library's message for an error code. */
export declare function errorMessage(code: number): string;

/** The library's version queries. */
export declare function version(): Version;

/** The WebAssembly module's exports: the library's C entry points, malloc, free and memory. */
export declare const wasmExports: WebAssembly.Exports;

/** The symbol as an SVG document, drawn as `tavo translate --svg` draws it. Throws TavoError. */
export declare function toSVG(symbology: Symbology, value: Value, options?: SvgOptions): string;

/** The GS1 human-readable text, "(01)09501101530003(17)250101"; takes "(AI)" or "[AI]". Throws TavoError. */
export declare function gs1HumanReadable(value: string): string;

/** The GS1 check digit of `key` (7 to 17 digits), or, with `verify`, checks the last digit of 8 to 18. Throws TavoError. */
export declare function gs1CheckDigit(key: string, verify?: boolean): number;

/** Whether this build has the GS1 Digital Link functions (library exports 17 and 18). */
export declare const hasDigitalLink: boolean;

/** The GS1 Digital Link URI of GS1 data. Throws Error when the library has no Digital Link, TavoError for bad data. */
export declare function gs1DigitalLink(value: string, domain?: string | null): string;

/** The GS1 data of a GS1 Digital Link URI. Throws Error when the library has no Digital Link, TavoError for a bad URI. */
export declare function gs1FromDigitalLink(uri: string): string;
