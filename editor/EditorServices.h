#pragma once

#include "core/files/AnimatedImageService.h"
#include "core/files/FavoritesAndPresetsStore.h"
#include "core/files/FolderBrowserService.h"
#include "core/files/ImageExportService.h"
#include "core/files/ImageMetadataService.h"
#include "core/imaging/AnnotationRenderer.h"
#include "core/imaging/ColorSamplerService.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/RetouchAndBarcodeService.h"
#include "core/imaging/StudioEffectsService.h"
#include "core/imaging/VisionAIService.h"

// The one instance of each service the editor owns, created with it and never replaced.
// Shared with the editor's background tasks, which may finish after the editor is gone.
struct EditorServices {
    FolderBrowserService browser;
    ImageRenderEngine renderEngine;
    AnnotationRenderer annotationRenderer;
    VisionAIService visionAI;
    StudioEffectsService studioEffects;
    ImageMetadataService metadataService;
    AnimatedImageService animatedService;
    RetouchAndBarcodeService retouchBarcodeService;
    FavoritesAndPresetsStore libraryStore; // its default location
    ImageExportService exportService;
    ColorSamplerService colorSampler;
};
