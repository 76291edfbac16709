-- One position or development-work request as it is stored now, in the shape
-- of DEAL_DETAILS_SELECT: what a colleague saved while the deal was open.
select *
  from jur.v_deal_details
 where id = :id
