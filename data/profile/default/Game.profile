<?xml version="1.0" encoding="utf-8"?>
<!-- Built-in profile "Game": the virtual speaker room on speakers, surround on headphones. -->
<Profile Name="UserDefine">
  <Endpoint Name="Speakers" DataFlow="Out">
    <ApoEffect Name="SpeakerEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider1" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider2" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider3" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider4" Value="-1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider5" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider6" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider7" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider8" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider9" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider10" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVirtual">
      <Property Name="Enable_SS_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LF_ANGLE" Value="-45" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_RF_ANGLE" Value="45" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LB_ANGLE" Value="-135" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_RB_ANGLE" Value="135" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LS_ANGLE" Value="-90" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_RS_ANGLE" Value="90" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_C_ANGLE" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LFE_ANGLE" Value="15" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LF_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_RF_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LB_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_RB_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LS_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_RS_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_C_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="SS_LFE_DIST" Value="34" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="" Value="0" UIName="__WiseArround" ValueType="" Args="" ArgsType="" />
      <Property Name="" Value="0" UIName="__CounterClockwise" ValueType="" Args="" ArgsType="" />
      <Property Name="" Value="0" UIName="__Clockwise" ValueType="" Args="" ArgsType="" />
      <Property Name="" Value="1" UIName="__Manual" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVimoDynamicBass">
      <Property Name="Enable_VIRTUALBASS_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_Mode" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_Level" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_CutOffFrequency" Value="200" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
  <Endpoint Name="Headphone" DataFlow="Out">
    <ApoEffect Name="HeadPhoneEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider1" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider2" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider3" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider4" Value="-1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider5" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider6" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider7" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider8" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider9" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider10" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="HeadPhoneVimoSurroundHeadPhone">
      <Property Name="Enable_KESTAL_HPSPK_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_USEHP" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_ROOMSIZE" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_MODE" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
</Profile>
